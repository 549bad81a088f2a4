// Times the program's real scan tick (Form_Main::Timer_Destroy_Timer) over a
// given window system: the program is started with the given data files in
// an in-memory file system, ticked once to settle, then timed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bench_rig.h"
#include "bench_util.h"
#include "fake_file_system.h"
#include "forwarding_window_system.h"

namespace vorlix::bench {

struct TickResult {
    double tick_ms = 0;
    double refresh_ms = 0;  // Update_Window_List alone, windows unchanged
    long pairs = 0;         // title x name, per tick
    long lookups = 0;       // of them asked of the window system, per tick
    double replies = 0;     // what `replies` counted, per tick
    double longest_gap_ms = 0;
    int ticks = 0;          // run in all, the untimed ones too
};

inline std::vector<std::string> first(const std::vector<std::string>& v, int n) {
    return {v.begin(), v.begin() + n};
}

// `replies` reads the window system's count of server replies (or returns 0).
// `yield_every_us` above 0 tries a yield that reaches the toolkit at most
// that often.
inline TickResult time_tick(platform::Toolkit& toolkit, platform::WindowSystem& windows,
                            const std::function<std::uint64_t()>& replies, const DataFiles& data,
                            long yield_every_us = 0) {
    const std::string folder = "bench";
    test::FakeFileSystem fs;
    write_data_files(app_in(folder, toolkit), data,
                     [&](const std::string& path, std::string bytes) { fs.add_file(path, bytes); });
    CountingWindowSystem counted(windows);
    TickResult r;
    {
        Rig rig(toolkit, counted, fs, folder);
        rig.program().start();
        // The windows' first paint and the start-up's own events are done
        // before any tick.
        for (const auto t0 = Clock::now(); ms_since(t0) < 100;) toolkit.do_events();
        rig.toolkit().set_yield_every_us(yield_every_us);
        auto& form = rig.main();
        // The first tick reads the windows made since the last program.
        form.Timer_Destroy_Timer();
        r.refresh_ms = median_ms(5, [&] { rig.panel().Update_Window_List(); });
        const auto t0 = Clock::now();
        form.Timer_Destroy_Timer();
        const double once = ms_since(t0);
        const int runs = once > 2000 ? 1 : once > 400 ? 3 : once > 40 ? 5 : 11;
        const long lookups0 = counted.lookups();
        const std::uint64_t replies0 = replies();
        std::vector<double> gaps;
        // A tick of seconds is timed once more, not three times.
        r.tick_ms = median_ms(runs, [&] {
            rig.toolkit().counts().reset();
            form.Timer_Destroy_Timer();
            gaps.push_back(rig.toolkit().counts().longest_gap_ms);
        });
        r.ticks = 2 + runs;
        r.lookups = (counted.lookups() - lookups0) / runs;
        r.pairs = static_cast<long>(data.blacklist.size() * data.names.size());
        r.replies = static_cast<double>(replies() - replies0) / runs;
        r.longest_gap_ms = median(gaps);
    }
    toolkit.do_events();  // deferred deletions of the closed windows
    return r;
}

}  // namespace vorlix::bench
