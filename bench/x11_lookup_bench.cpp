// The X11 window system at scale on a private Xvfb: a scan tick's look-ups
// through the title table, the walk that fills it, and one X round trip for
// comparison (the least that a look-up asking the server could cost).
// Argument "openbox" runs the server under openbox.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "adapters/x11/x11_window_system.h"
#include "bench_util.h"
#include "core/scanner.h"
#include "core/sorted_list.h"
#include "x_client.h"
#include "x_server.h"

using namespace vorlix;

namespace {

struct Tick {
    double walk_ms;
    double lookups_ms;
    long lookups;
    std::uint64_t replies;
};

Tick scan_tick(adapters::x11::X11WindowSystem& ws, const core::SortedList& blacklist,
               const std::vector<std::string>& names) {
    long lookups = 0;
    double kills = 0;
    core::scanner::Hooks hooks;
    hooks.find = [&](const std::string& candidate) {
        ++lookups;
        return ws.find_by_title(candidate);
    };
    // Nothing is asked: the windows must stay for the next run.
    hooks.post_close = [](platform::WindowId) { return true; };
    hooks.yield = [] { return false; };
    hooks.killed = [](double) {};
    constexpr int kRuns = 5;
    const std::uint64_t before = ws.replies_waited();
    Tick t{};
    t.walk_ms = bench::median_ms(kRuns, [&] {
        for (auto w = ws.first_top_level(0); w != 0; w = ws.next_top_level(w)) {
            (void)ws.is_visible(w);
            (void)ws.owner(w);
            (void)ws.title(w);
        }
    });
    t.lookups_ms = bench::median_ms(kRuns, [&] {
        lookups = 0;
        core::scanner::walk(blacklist, names, 0, kills, hooks);
    });
    t.lookups = lookups;
    t.replies = (ws.replies_waited() - before) / kRuns;
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const bool with_wm = argc > 1 && std::string(argv[1]) == "openbox";
    auto server = test::XServer::start(with_wm);
    if (!server) {
        std::fprintf(stderr, "%s\n", server.error().message.c_str());
        return 1;
    }
    const std::string display = server.value()->display();
    test::XClient client(display, with_wm);
    auto ws = adapters::x11::X11WindowSystem::open(display.c_str());

    const auto titles = bench::make_titles(core::SortedList::kMaxEntries);
    const std::vector<std::string> all_names = {"Microsoft Internet Explorer",
                                                "Mozilla",
                                                "Netscape 6",
                                                "Mozilla Firefox",
                                                "Opera",
                                                "Google Chrome",
                                                "Microsoft Edge",
                                                "Chromium",
                                                "Safari",
                                                "Konqueror"};

    const std::string bench_name =
        with_wm ? "x11 adapter, Xvfb + openbox" : "x11 adapter, Xvfb, no window manager";
    int open_windows = 0;
    for (const int windows : {10, 50, 200, 1000}) {
        // Every other window carries a blacklisted title, so half the
        // windows are hits when their browser name is tried.
        for (; open_windows < windows; ++open_windows) {
            const auto& t = titles[static_cast<std::size_t>(open_windows)];
            const auto w =
                client.create(t + " - " + all_names[static_cast<std::size_t>(open_windows) % 3]);
            client.map(w);
        }
        (void)ws->first_top_level(0);
        bench::row(bench_name, "walk, unchanged windows, " + std::to_string(windows) + " windows",
                   bench::median_ms(21,
                                    [&] {
                                        for (auto w = ws->first_top_level(0); w != 0;
                                             w = ws->next_top_level(w)) {
                                            (void)ws->is_visible(w);
                                            (void)ws->title(w);
                                        }
                                    }),
                   "ms");
        for (const int n_titles : {10, 100, 1000, core::SortedList::kMaxEntries}) {
            for (const std::size_t n_names : {std::size_t{1}, std::size_t{3}, std::size_t{10}}) {
                if (windows != 200 && !(n_titles == 100 && n_names == 3)) continue;
                core::SortedList blacklist;
                std::vector<std::string> entries;
                for (int i = 0; i < n_titles; ++i)
                    entries.push_back(core::make_entry(titles[static_cast<std::size_t>(i)]));
                (void)blacklist.add_all(entries);
                const std::vector<std::string> names(
                    all_names.begin(), all_names.begin() + static_cast<long>(n_names));
                const Tick t = scan_tick(*ws, blacklist, names);
                char size[64];
                std::snprintf(size, sizeof size, "%d x %zu, %d win", n_titles, n_names, windows);
                char note[160];
                std::snprintf(
                    note, sizeof note,
                    "walk %.3f ms + %ld look-ups at %.3f us; %llu replies waited per tick",
                    t.walk_ms, t.lookups, t.lookups_ms * 1000.0 / static_cast<double>(t.lookups),
                    static_cast<unsigned long long>(t.replies));
                bench::row(bench_name, std::string("walk + look-ups, no yield, ") + size,
                           t.walk_ms + t.lookups_ms, "ms", "", "-", note);
            }
        }
    }

    // The floor of any look-up that asks the server: one round trip.
    test::XClient probe(display, false);
    const double rt = bench::median_ms(5, [&] {
        for (int i = 0; i < 1000; ++i) (void)probe.alive();
    });
    bench::row(bench_name, "one X round trip (GetInputFocus)", rt, "us");
    return 0;
}
