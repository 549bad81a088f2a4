// Title key (text::title_key) -> the windows bearing it, in the order their
// window system ranks them: each window system adapter answers a look-up by
// title from one of these, kept current by its events, so a look-up is one
// hash look-up. The adapter decides the rank and which windows are filed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vorlix {

class TitleIndex {
public:
    using Id = std::uint64_t;   // a window; 0 stands for none
    using Rank = std::int64_t;  // smaller comes first

    // Files the window under `key` at `rank`. A window filed already moves:
    // that is how a retitled or re-ranked window is told. Of two windows of
    // one rank, the one filed last comes first.
    void insert(Id id, std::string key, Rank rank);
    void remove(Id id);
    void clear();

    // The first window in rank order filed under `key`, or 0.
    [[nodiscard]] Id find(const std::string& key) const;
    // The key the window is filed under, or nullptr.
    [[nodiscard]] const std::string* key_of(Id id) const;
    // Keys held. A key goes with its last window, so this follows the
    // windows, not every title they ever bore.
    [[nodiscard]] std::size_t keys() const { return by_key_.size(); }

private:
    struct Filed {
        std::string key;
        Rank rank = 0;
    };
    std::unordered_map<Id, Filed> filed_;
    std::unordered_map<std::string, std::vector<std::pair<Rank, Id>>> by_key_;  // each by rank
};

}  // namespace vorlix
