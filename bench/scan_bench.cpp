// Benchmarks 1 and 2: the scan tick (Form_Main::Timer_Destroy_Timer, with
// its window-list refresh and a yield after every look-up) on a private Xvfb
// with real windows from a test client, first through the X11 adapter's
// title table and then through a window system that asks the server on
// every look-up. Arguments: --toolkit fake|qt (qt when built), --quick
// (fewer cases, for trying the program out), --typical (the typical tick
// alone, without the comparison: for profiling), --worst (the same for the
// worst tick).
#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "adapters/x11/x11_window_system.h"
#include "bench_rig.h"
#include "bench_util.h"
#include "core/sorted_list.h"
#include "fake_file_system.h"
#include "query_window_system.h"
#include "tick_timer.h"
#include "toolkit_host.h"
#include "x_client.h"
#include "x_server.h"

using namespace vorlix;
using namespace vorlix::bench;

namespace {

// How long the asking-the-server tick may run; the rest is extrapolated.
constexpr double kQueryBudgetMs = 150;

struct Case {
    int titles;
    int names;
    int windows;
    // The blacklist starts at this title; from 1000 on it names no open
    // window, so the tick closes nothing.
    int from = 0;
};

}  // namespace

int main(int argc, char** argv) {
    bool quick = false;
    bool typical = false;
    bool worst = false;
    // A trial of a yield that reaches the toolkit at most this often; only
    // the two cases with a bar are run then.
    long yield_every_us = 0;
    for (int i = 1; i < argc; ++i) {
        quick = quick || std::strcmp(argv[i], "--quick") == 0;
        typical = typical || std::strcmp(argv[i], "--typical") == 0;
        worst = worst || std::strcmp(argv[i], "--worst") == 0;
        if (std::strcmp(argv[i], "--yield-every-us") == 0 && i + 1 < argc)
            yield_every_us = std::atol(argv[i + 1]);
    }

    XSession x = start_x_session(argc, argv);
    if (!x.server) return 1;
    const std::string& display = x.display;
    auto& host = x.host;
    const std::string tk =
        host->name() + (yield_every_us > 0 ? ", trial: yield at most every " +
                                                 std::to_string(yield_every_us) + " us"
                                           : std::string());

    test::XClient client(display, /*managed=*/false);
    auto x11 = adapters::x11::X11WindowSystem::open(display.c_str());
    QueryWindowSystem query(*x11, display);

    const auto titles = make_titles(core::SortedList::kMaxEntries);
    const auto& names = browser_names();

    std::vector<Case> cases;
    for (const int windows : {10, 50, 200, 1000}) {
        if ((quick && windows == 1000) || (typical && windows != 50) || (worst && windows != 200))
            continue;
        if (windows == 50) {
            cases.push_back({100, 3, 50, 1000});
            cases.push_back({100, 3, 50, 0});
            continue;
        }
        for (const int t : {10, 1000, core::SortedList::kMaxEntries})
            for (const int n : {1, 3, 10})
                if ((!quick || n == 3) &&
                    ((yield_every_us == 0 && !worst) ||
                     (windows == 200 && n == 3 && t == core::SortedList::kMaxEntries)))
                    cases.push_back({t, n, windows});
    }

    int open_windows = 0;
    for (const Case& k : cases) {
        // Every window carries a blacklisted title and one of the first three
        // names, so some look-ups hit and the close requests are real.
        for (; open_windows < k.windows; ++open_windows) {
            const auto i = static_cast<std::size_t>(open_windows);
            client.map(client.create(titles[i] + " - " + names[i % 3]));
        }
        const std::string size = std::to_string(k.titles) + " x " + std::to_string(k.names) + ", " +
                                 std::to_string(k.windows) + " win" +
                                 (k.from > 0 ? ", none named" : "");
        progress("scan tick %s", size.c_str());
        const std::vector<std::string> blacklist(titles.begin() + k.from,
                                                 titles.begin() + k.from + k.titles);
        const DataFiles data{blacklist, first(names, k.names), 0};

        const TickResult ours = time_tick(
            host->toolkit(), *x11, [&] { return x11->replies_waited(); }, data, yield_every_us);
        const double per_lookup_us =
            ours.pairs > 0 ? (ours.tick_ms - ours.refresh_ms) * 1000.0 / ours.pairs : 0;

        // The look-up alone, over the tick's own candidates.
        std::vector<std::string> candidates;
        for (int t = 0; t < k.titles && candidates.size() < 20000; ++t)
            for (int n = 0; n < k.names; ++n)
                candidates.push_back(blacklist[static_cast<std::size_t>(t)] + " - " +
                                     names[static_cast<std::size_t>(n)]);
        const double ours_raw_us = median_ms(5,
                                             [&] {
                                                 for (const auto& c : candidates)
                                                     (void)x11->find_by_title(c);
                                             }) *
                                   1000.0 / static_cast<double>(candidates.size());

        std::string bar = "-", ok = "-";
        if (k.titles == core::SortedList::kMaxEntries && k.names == 3 && k.windows == 200) {
            bar = "<= 3 ms";
            ok = met(ours.tick_ms <= 3);
        } else if (k.titles == 100 && k.names == 3 && k.windows == 50) {
            bar = "<= 0.1 ms";
            ok = met(ours.tick_ms <= 0.1);
        }
        row("1 scan tick (" + tk + ")", size, ours.tick_ms, "ms", bar, ok,
            std::to_string(ours.pairs) + " pairs, " + std::to_string(ours.lookups) +
                " looked up, " + fixed(per_lookup_us) + " us a pair incl. yield (look-up alone " +
                fixed(ours_raw_us) + " us); " + fixed(ours.replies, 1) +
                " X replies waited per tick; refresh " + fixed(ours.refresh_ms) +
                " ms; longest stretch between passes " + fixed(ours.longest_gap_ms) + " ms");

        if (yield_every_us > 0 || typical || worst)
            continue;  // the comparison is made without the trial
        // The same tick asking the server: as many titles as fit the budget.
        const double query_raw_us =
            median_ms(11, [&] { (void)query.find_by_title(candidates.front()); }) * 1000.0;
        const int fit = static_cast<int>(kQueryBudgetMs * 1000.0 / query_raw_us / k.names);
        const int sample = std::clamp(fit, 1, k.titles);
        const TickResult asked = time_tick(
            host->toolkit(), query, [&] { return query.replies_waited(); },
            {first(blacklist, sample), first(names, k.names), 0}, yield_every_us);
        const double asked_per_lookup_us =
            asked.lookups > 0 ? (asked.tick_ms - asked.refresh_ms) * 1000.0 / asked.lookups : 0;
        const double asked_tick_ms =
            ours.refresh_ms + asked_per_lookup_us * static_cast<double>(ours.pairs) / 1000.0;
        const double ratio = ours_raw_us > 0 ? query_raw_us / ours_raw_us : 0;
        row("2 look-up asking the server", size, ratio, "x dearer", ">= 100 x", met(ratio >= 100),
            "one look-up " + fixed(query_raw_us, 1) + " us (2 round trips, " +
                std::to_string(k.windows + 1) + "+ replies) vs ours " + fixed(ours_raw_us) +
                " us; tick share " + fixed(asked_per_lookup_us, 1) + " vs " + fixed(per_lookup_us) +
                " us per look-up (x" +
                fixed(per_lookup_us > 0 ? asked_per_lookup_us / per_lookup_us : 0, 1) +
                "); whole tick " + fixed(asked_tick_ms, 1) + " ms vs " + fixed(ours.tick_ms) +
                " ms" +
                (sample < k.titles ? " (extrapolated from " + std::to_string(sample) + " titles)"
                                   : std::string()));
        (void)client.close_requests();  // read them, so the server never holds them back
    }
    return 0;
}
