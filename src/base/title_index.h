// Title key (text::title_key) -> the windows bearing it, in the order their
// window system ranks them: each window system adapter answers a look-up by
// title from one of these, kept current by its events, so a look-up is one
// hash look-up. The adapter decides the rank and which windows are filed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vorlix {

// A title key taken once, with a hash that joins: the hash of a + b follows
// from those of a and b, so a title and a suffix keyed apart are looked up
// together without building their text.
struct TitleKey {
    TitleKey() = default;
    explicit TitleKey(std::string key);
    [[nodiscard]] static std::uint64_t hash_of(std::string_view key);

    std::string text;
    std::uint64_t hash = 0;
    std::uint64_t scale = 1;  // what a hash joined after this one multiplies it by
};

// key == head.text + tail.text, compared in place.
[[nodiscard]] inline bool is_joined(std::string_view key, const TitleKey& head,
                                    const TitleKey& tail) {
    return key.size() == head.text.size() + tail.text.size() && key.starts_with(head.text) &&
           key.ends_with(tail.text);
}

class TitleIndex {
public:
    using Id = std::uint64_t;   // a window; 0 stands for none
    using Rank = std::int64_t;  // smaller comes first

    // Files the window under `key` at `rank`. A window filed already moves:
    // that is how a retitled or re-ranked window is told. Filing it as it is
    // changes nothing. Of two windows of
    // one rank, the one filed last comes first.
    void insert(Id id, std::string key, Rank rank);
    void remove(Id id);
    void clear();

    // The first window in rank order filed under `key`, or 0.
    [[nodiscard]] Id find(const std::string& key) const;
    // The same for the key head.text + tail.text; allocates nothing.
    [[nodiscard]] Id find(const TitleKey& head, const TitleKey& tail) const;
    // The key the window is filed under, or nullptr.
    [[nodiscard]] const std::string* key_of(Id id) const;
    // Keys held. A key goes with its last window, so this follows the
    // windows, not every title they ever bore.
    [[nodiscard]] std::size_t keys() const { return by_key_.size(); }
    // Every key with the first window filed under it, in no order.
    template <class Visit>
    void for_each_key(Visit visit) const {
        for (const auto& [key, windows] : by_key_) visit(key, windows.front().second);
    }
    // Moves with every insert: a key found missing stays missing while this
    // stands still.
    [[nodiscard]] std::uint64_t insertions() const { return insertions_; }

private:
    struct Filed {
        std::string key;
        Rank rank = 0;
    };
    using ByKey = std::unordered_map<std::string, std::vector<std::pair<Rank, Id>>>;  // by rank
    // Open addressing over by_key_ by TitleKey hash, for the joined look-up.
    struct Slot {
        std::uint64_t hash = 0;
        const ByKey::value_type* entry = nullptr;
    };
    [[nodiscard]] std::size_t home(std::uint64_t hash) const;
    void place(const ByKey::value_type& entry);
    void unplace(const ByKey::value_type& entry);

    std::unordered_map<Id, Filed> filed_;
    ByKey by_key_;
    std::vector<Slot> slots_;  // a power of two, at most half full
    std::uint64_t insertions_ = 0;
};

}  // namespace vorlix
