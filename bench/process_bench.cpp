// Benchmarks 4 (start-up) and 5 (idle cost) on the real Vorlix executable,
// run from a scratch folder with its data files beside it, on a private
// Xvfb. Start-up is timed from the fork to the moment both windows are
// mapped, seen by our own xcb watcher; the idle cost is read from
// /proc/<pid>/stat and /proc/<pid>/status.
// Usage: process_bench PATH_TO_VORLIX [--idle-seconds N]
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_rig.h"
#include "bench_util.h"
#include "core/sorted_list.h"
#include "x_client.h"
#include "x_server.h"

using namespace vorlix;
using namespace vorlix::bench;
namespace fs = std::filesystem;

namespace {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};

// A scratch folder holding a copy of the executable and its data files.
class Install {
public:
    Install(const fs::path& exe, const std::string& tag, const DataFiles& data)
        : dir_(fs::temp_directory_path() /
               ("vorlix-process-bench-" + std::to_string(::getpid()) + "-" + tag)) {
        fs::create_directories(dir_ / "config");
        fs::create_directories(dir_ / "runtime");
        fs::permissions(dir_ / "runtime", fs::perms::owner_all);
        fs::copy_file(exe, dir_ / "Vorlix", fs::copy_options::overwrite_existing);
        write_data_files(platform::AppInfo{dir_.string(), "Vorlix", '/', ""}, data,
                         [](const std::string& path, const std::string& b) {
                             std::ofstream(path, std::ios::binary) << b;
                         });
    }
    ~Install() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    Install(const Install&) = delete;
    Install& operator=(const Install&) = delete;
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_;
};

// Watches the root for maps and tells when both of our windows are shown.
class MapWatcher {
public:
    explicit MapWatcher(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
        std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    }
    ~MapWatcher() { xcb_disconnect(c_); }
    MapWatcher(const MapWatcher&) = delete;
    MapWatcher& operator=(const MapWatcher&) = delete;

    // Waits until a main window and the panel have been mapped; false after
    // `limit_ms`.
    bool wait_for_both(int limit_ms) {
        bool main_shown = false, panel_shown = false;
        const auto t0 = Clock::now();
        while (!(main_shown && panel_shown)) {
            const int left = limit_ms - static_cast<int>(ms_since(t0));
            if (left <= 0) return false;
            std::unique_ptr<xcb_generic_event_t, FreeDeleter> e(xcb_poll_for_event(c_));
            if (!e) {
                pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
                ::poll(&p, 1, left);
                continue;
            }
            if ((e->response_type & 0x7F) != XCB_MAP_NOTIFY) continue;
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(e.get());
            const std::string name = title(map->window);
            main_shown = main_shown || name.rfind("Vorlix v", 0) == 0;
            panel_shown = panel_shown || name == "Vorlix - Window List";
        }
        return true;
    }

private:
    std::string title(xcb_window_t w) {
        std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> r(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr));
        if (!r || r->format != 8) return {};
        return {static_cast<const char*>(xcb_get_property_value(r.get())),
                static_cast<std::size_t>(xcb_get_property_value_length(r.get()))};
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
};

pid_t launch(const Install& install, const std::string& display) {
    const std::string exe = (install.dir() / "Vorlix").string();
    return test::spawn({exe}, {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                               "XDG_CONFIG_HOME=" + (install.dir() / "config").string(),
                               "XDG_RUNTIME_DIR=" + (install.dir() / "runtime").string()});
}

void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Median start-up over `runs`, in ms; negative when the windows never came.
double startup(const fs::path& exe, const std::string& display, const DataFiles& data, int runs) {
    Install install(exe, "startup", data);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        MapWatcher watcher(display);
        const auto t0 = Clock::now();
        const pid_t pid = launch(install, display);
        const bool shown = watcher.wait_for_both(10000);
        const double t = ms_since(t0);
        stop(pid);
        if (!shown) return -1;
        times.push_back(t);
    }
    return median(times);
}

// utime + stime of every thread, in clock ticks.
long cpu_ticks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream rest(all.substr(all.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    // Fields from the third (state) on; utime and stime are the 14th and 15th.
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::atol(field.c_str());
        if (i == 15) stime = std::atol(field.c_str());
    }
    return utime + stime;
}

long status_kb(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        progress("usage: process_bench PATH_TO_VORLIX [--idle-seconds N]");
        return 2;
    }
    const fs::path exe = fs::absolute(argv[1]);
    int idle_seconds = 60;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--idle-seconds") == 0) idle_seconds = std::atoi(argv[i + 1]);

    auto server = test::XServer::start(/*with_window_manager=*/false);
    if (!server) {
        progress("%s", server.error().message.c_str());
        return 1;
    }
    const std::string display = server.value()->display();
    const auto titles = make_titles(core::SortedList::kMaxEntries);
    const auto& names = browser_names();

    progress("start-up");
    const double bare = startup(exe, display, {{}, {}, 3000}, 5);
    row("4 start-up, no data files", "to both windows mapped", bare, "ms", "-", "-",
        "the toolkit's own start, for comparison");
    std::vector<std::string> hundred_names;
    for (int i = 0; i < 100; ++i)
        hundred_names.push_back(names[static_cast<std::size_t>(i) % names.size()] + " " +
                                std::to_string(i));
    const double full = startup(exe, display, {titles, hundred_names, 3000}, 5);
    row("4 start-up, 32767 titles, 100 names", "to both windows mapped", full, "ms", "<= 1000 ms",
        met(full >= 0 && full <= 1000), fixed(full - bare, 1) + " ms over the bare start-up");

    progress("idle for %d s", idle_seconds);
    {
        // 50 open windows the blacklist does not name, so nothing closes.
        test::XClient client(display, /*managed=*/false);
        const auto others = make_titles(50, 4321);
        for (std::size_t i = 0; i < others.size(); ++i)
            client.map(client.create(others[i] + " - " + names[i % 3]));
        Install install(
            exe, "idle",
            {{titles.begin(), titles.begin() + 100}, {names[0], names[1], names[2]}, 3000});
        MapWatcher watcher(display);
        const pid_t pid = launch(install, display);
        if (!watcher.wait_for_both(10000)) {
            stop(pid);
            progress("the windows never came");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));  // past start-up's own work
        const long ticks0 = cpu_ticks(pid);
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(idle_seconds));
        const long ticks1 = cpu_ticks(pid);
        const double wall_s = ms_since(t0) / 1000.0;
        const long hwm = status_kb(pid, "VmHWM:");
        const long rss = status_kb(pid, "VmRSS:");
        stop(pid);
        const double cpu_s =
            static_cast<double>(ticks1 - ticks0) / static_cast<double>(::sysconf(_SC_CLK_TCK));
        const double percent = cpu_s / wall_s * 100.0;
        row("5 idle CPU", std::to_string(idle_seconds) + " s, panel shown, 50 windows, 100 titles",
            percent, "% of one core", "<= 0.5 %", met(percent <= 0.5),
            fixed(cpu_s * 1000.0, 0) + " ms of CPU in " + fixed(wall_s, 1) +
                " s (docking timer 50 ms, scan every 3000 ms)");
        row("5 idle memory", "peak resident (VmHWM)", static_cast<double>(hwm) / 1024.0, "MB",
            "<= 60 MB", met(hwm > 0 && hwm <= 60 * 1024),
            "resident at the end " + fixed(static_cast<double>(rss) / 1024.0, 1) + " MB");
    }
    return 0;
}
