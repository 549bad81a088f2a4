// The worst scan tick on a headless Wayland desktop through its window
// system: 200 native toplevels (100 on KWin), 32767 blacklisted titles x 3
// browser names.
// Prints the walk, the look-ups, and the round trips they made (none
// expected).
// Usage: wayland_tick_bench [sway|kwin|gnome]   (sway when not given)
#include <cstdio>
#include <list>
#include <memory>
#include <string>

#include "adapters/wayland/wayland_window_system.h"
#include "bench_util.h"
#include "core/scanner.h"
#include "core/sorted_list.h"
#include "session.h"
#ifdef VORLIX_BENCH_KWIN
#include "adapters/kwin/kwin_window_system.h"
#include "kwin_session.h"
#endif
#ifdef VORLIX_BENCH_GNOME
#include "gnome_session.h"
#endif

using namespace vorlix;

namespace {

// KWin 5.27 drops a window-list client once its stacking order (every
// window's uuid, in one message) outgrows libwayland's 4096 bytes: at about
// 104 windows. It is measured with 100.
int windows_for(const std::string& desktop) {
    return desktop == "kwin" ? 100 : 200;
}

// Each on a connection of its own; pumped while the desktop lists them, so
// that they answer its pings and keep their titles.
using Windows = std::list<test::NativeWindow>;

template <class WindowSystem>
int measure(const char* desktop, WindowSystem& ws, Windows& windows,
            const std::vector<std::string>& titles, const std::vector<std::string>& names) {
    const int expected = static_cast<int>(windows.size());
    auto count = [&] {
        int n = 0;
        for (auto w = ws.first_top_level(0); w != 0; w = ws.next_top_level(w)) ++n;
        return n;
    };
    if (!test::wait_until(
            [&] {
                for (auto& w : windows) (void)w.asked(std::chrono::milliseconds(0));
                return count() == expected;
            },
            std::chrono::seconds(120))) {
        std::fprintf(stderr, "%s listed %d of %d windows\n", desktop, count(), expected);
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
    hooks.yield = [] { return false; };
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
    // between ticks), then only the pairs the index shows a window for.
    const double pairs = static_cast<double>(blacklist.count()) * static_cast<double>(names.size());
    for (const int way : {0, 1, 2}) {
        if (way == 1) {
            hooks.find_keys = [&](const TitleKey& t, const TitleKey& suffix) {
                ++lookups;
                const auto w = ws.find_by_keys(t, suffix);
                found += w.value_or(0) != 0;
                return w;
            };
        }
        if (way == 2) hooks.title_index = [&] { return ws.title_index(); };
        core::scanner::WalkKeys keys;
        const auto trips = ws.round_trips();
        const double lookups_ms = bench::median_ms(kRuns, [&] {
            lookups = found = 0;
            core::scanner::walk(blacklist, names, 0, kills, hooks, keys);
        });
        char note[160];
        std::snprintf(note, sizeof note,
                      "walk %.3f ms + %.0f pairs at %.1f ns, %ld looked up, %ld found; %llu round "
                      "trips",
                      walk_ms, pairs, lookups_ms * 1e6 / pairs, lookups, found,
                      static_cast<unsigned long long>(ws.round_trips() - trips));
        const char* how[] = {", candidates built", " by keys",
                             " by keys where the index shows one"};
        bench::row(std::string("wayland adapter, headless ") + desktop,
                   std::string("walk + look-ups") + how[way] + ", no yield, 32767 x 3, " +
                       std::to_string(expected) + " win",
                   walk_ms + lookups_ms, "ms", "3 ms", bench::met(walk_ms + lookups_ms <= 3), note);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string desktop = argc > 1 ? argv[1] : "sway";
    const auto titles = bench::make_titles(core::SortedList::kMaxEntries);
    const std::vector<std::string> names(bench::browser_names().begin(),
                                         bench::browser_names().begin() + 3);
    // KWin collapses runs of blanks in a caption, so the windows bear titles
    // that every desktop shows as they are, and each is found.
    auto open_windows = [&](Windows& windows) {
        for (std::size_t i = 0; windows.size() < static_cast<std::size_t>(windows_for(desktop));
             ++i) {
            const std::string& t = titles[i];
            if (t.find("  ") == t.npos && t.front() != ' ' && t.back() != ' ')
                windows.emplace_back(t + " - " + names[windows.size() % names.size()]);
        }
    };
    if (desktop == "sway") {
        test::Compositor sway(test::Desktop::sway);
        if (sway.x_display.empty()) {
            std::fprintf(stderr, "no compositor: %s\n",
                         test::read_file(sway.dir.file("log")).value_or("").c_str());
            return 1;
        }
        Windows windows;
        open_windows(windows);
        auto opened = adapters::wayland::WaylandWindowSystem::open(nullptr, {});
        if (!opened) return std::fprintf(stderr, "%s\n", opened.error().message.c_str()), 1;
        return measure("sway", *opened.value(), windows, titles, names);
    }
#ifdef VORLIX_BENCH_KWIN
    if (desktop == "kwin") {
        test::KWin kwin;
        if (kwin.kwin <= 0) return std::fprintf(stderr, "no KWin: %s\n", kwin.log().c_str()), 1;
        Windows windows;
        open_windows(windows);
        auto opened = adapters::kwin::KWinWindowSystem::open(nullptr, {}, 0);
        if (!opened) return std::fprintf(stderr, "%s\n", opened.error().message.c_str()), 1;
        return measure("KWin", *opened.value(), windows, titles, names);
    }
#endif
#ifdef VORLIX_BENCH_GNOME
    if (desktop == "gnome") {
        test::GnomeShell gnome(true);
        const auto ws = gnome.windows();
        if (!ws || !ws->notice().empty())
            return std::fprintf(stderr, "no extension on the bus\n"), 1;
        Windows windows;
        open_windows(windows);
        return measure("GNOME Shell", *ws, windows, titles, names);
    }
#endif
    std::fprintf(stderr, "no %s in this build\n", desktop.c_str());
    return 2;
}
