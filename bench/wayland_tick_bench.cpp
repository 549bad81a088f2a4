// The worst scan tick on a headless sway through the Wayland window system:
// 200 native toplevels, 32767 blacklisted titles x 3 browser names. Prints the
// walk, the look-ups, and the round trips they made (none expected).
#include <cstdio>
#include <list>
#include <string>

#include "adapters/wayland/wayland_window_system.h"
#include "bench_util.h"
#include "core/scanner.h"
#include "core/sorted_list.h"
#include "session.h"

using namespace vorlix;

int main() {
    constexpr int kWindows = 200;
    test::Compositor sway(test::Desktop::sway);
    if (sway.x_display.empty()) {
        std::fprintf(stderr, "no compositor: %s\n",
                     test::read_file(sway.dir.file("log")).value_or("").c_str());
        return 1;
    }
    const auto titles = bench::make_titles(core::SortedList::kMaxEntries);
    const std::vector<std::string> names(bench::browser_names().begin(),
                                         bench::browser_names().begin() + 3);
    std::list<test::NativeWindow> windows;  // each on a connection of its own
    for (int i = 0; i < kWindows; ++i)
        windows.emplace_back(titles[static_cast<std::size_t>(i)] + " - " +
                             names[static_cast<std::size_t>(i) % names.size()]);
    auto opened = adapters::wayland::WaylandWindowSystem::open(nullptr, {});
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.error().message.c_str());
        return 1;
    }
    auto& ws = *opened.value();
    auto count = [&] {
        int n = 0;
        for (auto w = ws.first_top_level(0); w != 0; w = ws.next_top_level(w)) ++n;
        return n;
    };
    if (!test::wait_until([&] { return count() == kWindows; }, std::chrono::seconds(60))) {
        std::fprintf(stderr, "sway listed %d of %d windows\n", count(), kWindows);
        return 1;
    }

    core::SortedList blacklist;
    std::vector<std::string> entries;
    for (const std::string& t : titles) entries.push_back(core::make_entry(t));
    (void)blacklist.add_all(entries);
    long lookups = 0, found = 0;
    double kills = 0;
    core::scanner::Hooks hooks;
    hooks.find = [&](const std::string& candidate) {
        ++lookups;
        const auto w = ws.find_by_title(candidate);
        found += w != 0;
        return w;
    };
    // Nothing is asked: the windows stay for the next run.
    hooks.post_close = [](platform::WindowId) { return true; };
    hooks.yield = [] {};
    hooks.killed = [](double) {};

    constexpr int kRuns = 5;
    const double walk_ms = bench::median_ms(kRuns, [&] {
        for (auto w = ws.first_top_level(0); w != 0; w = ws.next_top_level(w)) {
            (void)ws.is_visible(w);
            (void)ws.owner(w);
            (void)ws.title(w);
        }
    });
    // Built candidates first, then keys taken once (kept between runs, as
    // between ticks).
    for (const bool keyed : {false, true}) {
        if (keyed) {
            hooks.find_keys = [&](const TitleKey& t, const TitleKey& suffix) {
                ++lookups;
                const auto w = ws.find_by_keys(t, suffix);
                found += w.value_or(0) != 0;
                return w;
            };
        }
        core::scanner::NameKeys keys;
        const auto trips = ws.round_trips();
        const double lookups_ms = bench::median_ms(kRuns, [&] {
            lookups = found = 0;
            core::scanner::walk(blacklist, names, 0, kills, hooks, keys);
        });
        char note[160];
        std::snprintf(note, sizeof note,
                      "walk %.3f ms + %ld look-ups (%ld found) at %.3f us; %llu round trips",
                      walk_ms, lookups, found, lookups_ms * 1000.0 / static_cast<double>(lookups),
                      static_cast<unsigned long long>(ws.round_trips() - trips));
        bench::row("wayland adapter, headless sway",
                   std::string("walk + look-ups") + (keyed ? " by keys" : ", candidates built") +
                       ", no yield, 32767 x 3, 200 win",
                   walk_ms + lookups_ms, "ms", "3 ms", bench::met(walk_ms + lookups_ms <= 3), note);
    }
    return 0;
}
