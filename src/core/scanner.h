// The scan tick's walk over blacklist x browser names, free of any window
// system or toolkit: those reach it through the hooks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/title_index.h"
#include "core/sorted_list.h"
#include "platform/window_system.h"

namespace vorlix::core::scanner {

// Case-sensitive, as the sparing rule wants it.
bool mentions_mozilla(std::string_view s);
int mozilla_count(const std::vector<std::string>& window_entries);

// "  Killed " + the count as plain digits + " popup".
std::string killed_status(double kill_count);

struct Hooks {
    std::function<platform::WindowId(const std::string& candidate)> find;
    // True when a close request went out; only those are counted.
    std::function<bool(platform::WindowId)> post_close;
    // A pass of the event loop; false when it ran nothing (platform::Toolkit::
    // do_events).
    std::function<bool()> yield;
    // After each counted close, with the new kill count.
    std::function<void(double kill_count)> killed;
    // The look-up of `find` from keys taken once (platform::WindowSystem::
    // find_by_keys). Without it, when it answers nothing, or for a title
    // whose key does not join, the candidate is built and handed to `find`.
    std::function<std::optional<platform::WindowId>(const TitleKey& title, const TitleKey& suffix)>
        find_keys{};
    // The index `find_keys` answers from (platform::WindowSystem::
    // title_index). With it, a pair whose title and name the index shows no
    // window for is a miss without a look-up.
    std::function<const TitleIndex*()> title_index{};
};

// " - " + each browser name, keyed; kept between walks, so a name is keyed
// again only when it changes.
class NameKeys {
public:
    struct Name {
        std::string name;
        TitleKey suffix;
    };
    // True when a name changed.
    bool update(const std::vector<std::string>& names);
    [[nodiscard]] std::size_t size() const { return names_.size(); }
    [[nodiscard]] const Name& operator[](std::size_t k) const { return names_[k]; }

private:
    std::vector<Name> names_;
};

// The blacklist's titles by the hash of their keys, for titles whose key
// joins, and the positions of those whose key does not; taken again after
// the list changes.
class TitleHashes {
public:
    void update(const SortedList& blacklist);
    // Positions whose title's key hashes to `hash`, ascending.
    template <class Visit>
    void for_each_at(std::uint64_t hash, Visit visit) const {
        const auto from = std::lower_bound(by_hash_.begin(), by_hash_.end(), std::pair{hash, 0});
        for (auto it = from; it != by_hash_.end() && it->first == hash; ++it) visit(it->second);
    }
    [[nodiscard]] const std::vector<int>& not_joining() const { return not_joining_; }

private:
    std::optional<std::uint64_t> edits_;  // of the list they were taken from
    std::vector<std::pair<std::uint64_t, int>> by_hash_;
    std::vector<int> not_joining_;
};

// What walks keep between ticks.
struct WalkKeys {
    NameKeys names;
    TitleHashes titles;
};

// For each blacklist position (the count read once, at the start) and each
// browser name (the count read when that position begins): look up
// title + " - " + name; ask what is found to close unless exactly one
// window entry mentions Mozilla and the name does too, and count the
// requests the window system really sent; yield after every
// look-up. The lists may change during the yields: positions that no longer
// exist are skipped, titles added are scanned from the next tick on.
// `browser_names` holds the names at positions 1..N as elements 0..N-1.
void walk(const SortedList& blacklist, const std::vector<std::string>& browser_names,
          int mozilla_count, double& kill_count, const Hooks& hooks, WalkKeys& keys);
inline void walk(const SortedList& blacklist, const std::vector<std::string>& browser_names,
                 int mozilla_count, double& kill_count, const Hooks& hooks) {
    WalkKeys keys;
    walk(blacklist, browser_names, mozilla_count, kill_count, hooks, keys);
}

}  // namespace vorlix::core::scanner
