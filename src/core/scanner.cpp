#include "core/scanner.h"

#include <charconv>

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

void walk(const SortedList& blacklist, const std::vector<std::string>& browser_names,
          int mozilla_count, double& kill_count, const Hooks& hooks) {
    const int entries = blacklist.count();
    for (int pos = 0; pos < entries; ++pos) {
        const std::size_t names = browser_names.size();
        for (std::size_t k = 0; k < names; ++k) {
            // A yield may have removed entries (or, in theory, names).
            if (pos >= blacklist.count() || k >= browser_names.size()) break;
            const std::string name = browser_names[k];
            const std::string candidate = entry_title(blacklist.at(pos)) + " - " + name;
            const platform::WindowId found = hooks.find(candidate);
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
