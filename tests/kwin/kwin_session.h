// A headless KWin of the tests' own, with XWayland, on a private session bus
// with private folders. Debian's binary carries a file capability that a
// container may refuse, so a private copy runs (its name must still end in
// kwin_wayland).
#pragma once

#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support.h"
#include "x_server.h"

namespace vorlix::test {

class KWin {
public:
    // `data_dirs` empty: KWin grants its window list to every client; else
    // only to executables whose desktop file, found there, asks for it.
    explicit KWin(const std::string& data_dirs = {}) {
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        std::filesystem::copy_file("/usr/bin/kwin_wayland", dir.file("kwin_wayland"));
        const std::string home = dir.path().string();
        std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + home, "HOME=" + home,
                                        "QT_QPA_PLATFORM=offscreen",
                                        "WAYLAND_DISPLAY=", "DISPLAY="};
        for (const std::string d : {"CONFIG", "DATA", "CACHE"})
            env.push_back("XDG_" + d + "_HOME=" + dir.file(d));
        env.push_back(data_dirs.empty() ? "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1"
                                        : "XDG_DATA_DIRS=" + data_dirs);
        // KWin starts its session command once XWayland takes clients.
        const std::string env_file = dir.file("env");
        const std::string session =
            "echo $DISPLAY >" + env_file + ".new && mv " + env_file + ".new " + env_file;
        pid = test::spawn({"dbus-run-session", "--", dir.file("kwin_wayland"), "--virtual",
                           "--xwayland", "--no-lockscreen", "--socket", "wayland-vorlix", "--width",
                           "1024", "--height", "768", "sh -c '" + session + "'"},
                          env, dir.file("log"));
        wait_until([&] {
            if (::waitpid(pid, nullptr, WNOHANG) == pid) return pid = -1, true;  // it failed
            std::istringstream words(read_file(env_file).value_or(""));
            return static_cast<bool>(words >> x_display);
        });
        // KWin is the session runner's child beside the bus.
        std::istringstream children(
            read_file("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children")
                .value_or(""));
        for (pid_t child = 0; children >> child;)
            if (read_file("/proc/" + std::to_string(child) + "/comm") == "kwin_wayland\n")
                kwin = child;
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", "wayland-vorlix", 1);
        ::setenv("DISPLAY", x_display.c_str(), 1);
    }
    ~KWin() { stop(); }
    // KWin ends, and with it its session bus.
    void stop() {
        if (kwin > 0) ::kill(std::exchange(kwin, -1), SIGTERM);
        // The session runner ends its bus once KWin has ended.
        if (pid > 0 && wait_until([&] { return ::waitpid(pid, nullptr, WNOHANG) == pid; }))
            pid = -1;
        test::stop_child(std::exchange(pid, -1));
    }
    std::string log() const { return read_file(dir.file("log")).value_or(""); }

    TempDir dir;
    pid_t pid = -1, kwin = -1;
    std::string x_display;
};

}  // namespace vorlix::test
