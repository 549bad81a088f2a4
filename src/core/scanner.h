// The scan tick's walk over blacklist x browser names, free of any window
// system or toolkit: those reach it through the hooks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
    std::function<void()> yield;
    // After each counted close, with the new kill count.
    std::function<void(double kill_count)> killed;
    // The look-up of `find` from keys taken once (platform::WindowSystem::
    // find_by_keys). Without it, when it answers nothing, or for a title
    // whose key does not join, the candidate is built and handed to `find`.
    std::function<std::optional<platform::WindowId>(const TitleKey& title, const TitleKey& suffix)>
        find_keys{};
};

// " - " + each browser name, keyed; kept between walks, so a name is keyed
// again only when it changes.
class NameKeys {
public:
    struct Name {
        std::string name;
        TitleKey suffix;
    };
    void update(const std::vector<std::string>& names);
    [[nodiscard]] std::size_t size() const { return names_.size(); }
    [[nodiscard]] const Name& operator[](std::size_t k) const { return names_[k]; }

private:
    std::vector<Name> names_;
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
          int mozilla_count, double& kill_count, const Hooks& hooks, NameKeys& name_keys);
inline void walk(const SortedList& blacklist, const std::vector<std::string>& browser_names,
                 int mozilla_count, double& kill_count, const Hooks& hooks) {
    NameKeys keys;
    walk(blacklist, browser_names, mozilla_count, kill_count, hooks, keys);
}

}  // namespace vorlix::core::scanner
