// Benchmarks 3 and the second half of 4: Update_Window_List over 10, 200 and
// 1000 real windows on a private Xvfb, unchanged and changed, counting the
// list-box calls; and Save_Blacklist of a full blacklist to a real disk,
// with the longest stretch between two yields (how long the windows could
// not answer). Argument: --toolkit fake|qt (qt when built).
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "adapters/posix/posix_file_system.h"
#include "adapters/x11/x11_window_system.h"
#include "bench_rig.h"
#include "bench_util.h"
#include "core/sorted_list.h"
#include "fake_file_system.h"
#include "support/support.h"
#include "toolkit_host.h"
#include "x_client.h"
#include "x_server.h"

using namespace vorlix;
using namespace vorlix::bench;

namespace {

constexpr const char* kFolder = "/bench";

void window_list(ToolkitHost& host, test::XClient& client, adapters::x11::X11WindowSystem& x11) {
    std::vector<xcb_window_t> made;
    const auto titles = make_titles(1000, 99);
    const auto& names = browser_names();
    const std::string tk = host.name();
    for (const int windows : {10, 200, 1000}) {
        while (made.size() < static_cast<std::size_t>(windows)) {
            const std::size_t i = made.size();
            made.push_back(client.create(titles[i] + " - " + names[i % 3]));
            client.map(made.back());
        }
        const xcb_window_t first_window = made.front();
        test::FakeFileSystem fs;
        write_data_files(app_in(kFolder, host.toolkit()), {{}, {names[0], names[1], names[2]}, 0},
                         [&](const std::string& path, std::string b) { fs.add_file(path, b); });
        {
            Rig rig(host.toolkit(), x11, fs, kFolder);
            rig.program().start();
            auto& panel = rig.panel();
            auto& counts = rig.toolkit().counts();
            panel.Update_Window_List();  // reads the windows made since the last program
            const std::string size = std::to_string(windows) + " windows";

            counts.reset();
            constexpr int kRuns = 21;
            const double unchanged = median_ms(kRuns, [&] { panel.Update_Window_List(); });
            const long calls = counts.list_changes;
            const long yields = counts.yields / kRuns;
            std::string bar = "-", ok = "-";
            if (windows == 200) {
                bar = "<= 1 ms, no list-box work";
                ok = met(unchanged <= 1 && calls == 0);
            }
            row("3 Update_Window_List unchanged (" + tk + ")", size, unchanged, "ms", bar, ok,
                std::to_string(calls) + " list-box calls in " + std::to_string(kRuns) +
                    " refreshes; " + std::to_string(yields) + " yields each");

            // One window changes its title before each refresh: the list is
            // refilled. The change is made and seen before the clock starts.
            int run = 0;
            auto changed = [&](const std::string& label) {
                std::vector<double> times;
                counts.reset();
                for (int i = 0; i < 11; ++i, ++run) {
                    client.set_net_name(first_window,
                                        titles[0] + (run % 2 ? "" : " (new)") + " - " + names[0]);
                    (void)client.alive();
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    x11.process_events();
                    const auto t0 = Clock::now();
                    panel.Update_Window_List();
                    times.push_back(ms_since(t0));
                }
                row("3 Update_Window_List changed (" + label + ")", size, median(times), "ms", "-",
                    "-",
                    fixed(static_cast<double>(counts.list_changes) / 11.0, 1) +
                        " list-box calls per refresh");
            };
            changed(host.name());
            // The same refills once the list boxes take uniform rows.
            if (host.try_uniform_rows())
                changed(std::string(host.name()) + ", trial: uniform list rows");
        }
        host.toolkit().do_events();
    }
}

// `yield_every_us` above 0 tries a yield that reaches the toolkit at most
// that often (a proposal, not what the program does).
void save_blacklist(ToolkitHost& host, adapters::x11::X11WindowSystem& x11, long yield_every_us,
                    bool uniform) {
    // One title short of full, so that Add makes it full and saves.
    const auto titles = make_titles(core::SortedList::kMaxEntries - 1, 7);
    const test::TempDir scratch;
    const auto& dir = scratch.path();
    adapters::posix::PosixFileSystem fs;
    std::vector<double> times, gaps;
    long yields = 0;
    for (int run = 0; run < 5; ++run) {
        write_data_files(app_in(dir.string(), host.toolkit()), {titles, {browser_names()[0]}, 0},
                         [](const std::string& path, const std::string& bytes) {
                             test::write_file(path, bytes);
                         });
        Rig rig(host.toolkit(), x11, fs, dir.string());
        rig.program().start();
        rig.toolkit().set_yield_every_us(yield_every_us);
        if (uniform) host.try_uniform_rows();
        // Start-up's own layout of the list is done before the clock starts.
        host.toolkit().do_events();
        rig.main().view().set_title_text("Another prize");
        rig.toolkit().counts().reset();
        const auto t0 = Clock::now();
        rig.main().Command_ADD_Click();  // adds, then Save_Blacklist
        times.push_back(ms_since(t0));
        gaps.push_back(rig.toolkit().counts().longest_gap_ms);
        yields = rig.toolkit().counts().yields;
    }
    host.toolkit().do_events();
    const auto size = std::filesystem::file_size(dir / "Vorlix.dat");
    const double t = median(times);
    std::string trial;
    if (uniform) trial += ", trial: uniform list rows";
    if (yield_every_us > 0)
        trial += ", trial: yield at most every " + std::to_string(yield_every_us) + " us";
    row(std::string("4 Save_Blacklist (") + host.name() + trial + ")", "32767 titles", t, "ms",
        "<= 100 ms, windows answering", met(t <= 100),
        std::to_string(yields) + " yields; longest stretch between passes " + fixed(median(gaps)) +
            " ms (the file's rewrite); " + std::to_string(size) + " bytes written");
}

// Program::start in this process with a full blacklist and 100 names: to
// both windows shown and their first paint done. With `trial`, the list
// boxes take uniform rows from their making and yields reach the toolkit at
// most once a millisecond.
void start_up(ToolkitHost& host, adapters::x11::X11WindowSystem& x11, bool trial) {
    if (trial && !host.try_uniform_rows()) return;
    const auto titles = make_titles(core::SortedList::kMaxEntries, 7);
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i)
        names.push_back(browser_names()[static_cast<std::size_t>(i) % 10] + " " +
                        std::to_string(i));
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) {
        test::FakeFileSystem fs;
        write_data_files(app_in(kFolder, host.toolkit()), {titles, names, 3000},
                         [&](const std::string& path, std::string b) { fs.add_file(path, b); });
        Rig rig(host.toolkit(), x11, fs, kFolder);
        if (trial) {
            rig.toolkit().set_yield_every_us(1000);
            rig.toolkit().on_window_made([&host] { host.try_uniform_rows(); });
        }
        const auto t0 = Clock::now();
        rig.program().start();
        host.toolkit().do_events();  // the first paint of both windows
        times.push_back(ms_since(t0));
    }
    host.toolkit().do_events();
    const double t = median(times);
    row(std::string("4 start-up in process, Program::start (") + host.name() +
            (trial ? ", trial: uniform list rows, yield at most every 1000 us" : "") + ")",
        "32767 titles, 100 names", t, "ms", "<= 1000 ms", met(t <= 1000),
        "to both windows shown and painted once");
}

// The docking timer with the panel in place: one second of the event loop
// after start-up has settled, counting the panel moves it makes.
void docking(ToolkitHost& host, adapters::x11::X11WindowSystem& x11) {
    test::FakeFileSystem fs;
    write_data_files(app_in(kFolder, host.toolkit()), {{"A title"}, {browser_names()[0]}, 0},
                     [&](const std::string& path, std::string b) { fs.add_file(path, b); });
    Rig rig(host.toolkit(), x11, fs, kFolder);
    rig.program().start();
    auto& counts = rig.toolkit().counts();
    for (const auto t0 = Clock::now(); ms_since(t0) < 500;) host.toolkit().do_events();
    counts.reset();
    const auto t0 = Clock::now();
    while (ms_since(t0) < 1000) {
        host.toolkit().do_events();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto& main = rig.main().view();
    auto* panel = rig.panel().ensure_loaded();
    row(std::string("5 docking timer, panel in place (") + host.name() + ")", "1 s of events",
        static_cast<double>(counts.panel_moves), "panel moves", "0", met(counts.panel_moves == 0),
        "main top " + fixed(main.top(), 1) + ", panel top " + fixed(panel->top(), 1) +
            " twips after the second");
}

}  // namespace

int main(int argc, char** argv) {
    XSession x = start_x_session(argc, argv);
    if (!x.server) return 1;
    const std::string& display = x.display;
    auto& host = x.host;
    test::XClient client(display, /*managed=*/false);
    auto x11 = adapters::x11::X11WindowSystem::open(display.c_str());
    // "--only save" skips the window list (for profiling the save alone).
    bool only_save = false;
    for (int i = 1; i + 1 < argc; ++i)
        only_save =
            only_save || (std::string(argv[i]) == "--only" && std::string(argv[i + 1]) == "save");
    if (!only_save) {
        progress("window list");
        window_list(*host, client, *x11);
    }
    if (!only_save) {
        progress("docking");
        docking(*host, *x11);
        progress("start-up");
        start_up(*host, *x11, false);
        start_up(*host, *x11, true);
    }
    progress("save blacklist");
    save_blacklist(*host, *x11, 0, false);
    if (!only_save && host->try_uniform_rows()) {
        save_blacklist(*host, *x11, 0, true);
        save_blacklist(*host, *x11, 1000, true);
    }
    return 0;
}
