#include "core/scanner.h"

#include <algorithm>
#include <charconv>

#include "base/text.h"

namespace vorlix::core::scanner {

bool mentions_mozilla(std::string_view s) {
    return s.find("Mozilla") != std::string_view::npos;
}

int mozilla_count(const std::vector<std::string>& window_entries) {
    int n = 0;
    for (const auto& e : window_entries) {
        if (mentions_mozilla(e)) ++n;
    }
    return n;
}

std::string killed_status(double kill_count) {
    // Fixed notation with no decimals: a whole count prints as its digits,
    // however large it grows.
    char digits[400];
    const auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, kill_count, std::chars_format::fixed, 0);
    std::string status = "  Killed ";
    if (ec == std::errc()) status.append(digits, end);
    status += " popup";
    return status;
}

void NameKeys::update(const std::vector<std::string>& names) {
    names_.resize(std::min(names_.size(), names.size()));
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k < names_.size() && names_[k].name == names[k]) continue;
        Name keyed{names[k], TitleKey(text::title_key(" - " + names[k]))};
        if (k < names_.size()) {
            names_[k] = std::move(keyed);
        } else {
            names_.push_back(std::move(keyed));
        }
    }
}

void walk(const SortedList& blacklist, const std::vector<std::string>& browser_names,
          int mozilla_count, double& kill_count, const Hooks& hooks, NameKeys& name_keys) {
    name_keys.update(browser_names);
    const int entries = blacklist.count();
    for (int pos = 0; pos < entries; ++pos) {
        const std::size_t names = browser_names.size();
        if (name_keys.size() != names) name_keys.update(browser_names);  // learned in a yield
        for (std::size_t k = 0; k < names; ++k) {
            // A yield may have removed entries (or, in theory, names).
            if (pos >= blacklist.count() || k >= browser_names.size()) break;
            const NameKeys::Name& keyed = name_keys[k];
            const std::string& name = keyed.name;
            const EntryKey& title = blacklist.key_at(pos);
            std::optional<platform::WindowId> keyed_found;
            if (hooks.find_keys && title.joins)
                keyed_found = hooks.find_keys(title.key, keyed.suffix);
            const platform::WindowId found =
                keyed_found ? *keyed_found
                            : hooks.find(entry_title(blacklist.at(pos)) + " - " + name);
            if (found != 0 && !(mozilla_count == 1 && mentions_mozilla(name)) &&
                hooks.post_close(found)) {
                kill_count += 1;
                if (hooks.killed) hooks.killed(kill_count);
            }
            if (hooks.yield) hooks.yield();
        }
    }
}

}  // namespace vorlix::core::scanner
