// A headless GNOME Shell of the tests' own, with Vorlix installed as
// `cmake --install` does and our extension in the session's data folder.
#pragma once

#include <sys/wait.h>

#include <memory>
#include <vector>

#include "adapters/gnome/gnome_window_system.h"
#include "adapters/x11/x11_window_system.h"
#include "support.h"
#include "x_server.h"

namespace vorlix::test {

using adapters::gnome::GnomeWindowSystem;

// A session of its own: a stand-in system bus (the shell stops in its
// log-in manager code without one), a session bus, settings in a key file
// and the extension in a private data folder.
class GnomeShell {
public:
    explicit GnomeShell(bool extension_enabled) {
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        // Vorlix installed as `cmake --install` does; its share/ is this
        // session's data folder, where GNOME looks for a user's extensions.
        ::waitpid(spawn({VORLIX_CMAKE, "--install", VORLIX_BUILD_DIR, "--prefix", dir.path()}, {},
                        dir.file("install.log")),
                  nullptr, 0);
        std::filesystem::create_directories(dir.file("config/glib-2.0/settings"));
        write_file(dir.file("config/glib-2.0/settings/keyfile"),
                   std::string("[org/gnome/shell]\nenabled-extensions=[") +
                       (extension_enabled ? "'windows@vorlix'" : "") + "]\n");
        for (const char* bus : {"system", "session"}) {
            buses.push_back(spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1",
                                   "--address=unix:path=" + dir.file(bus)},
                                  {}, dir.file(std::string(bus) + ".log")));
            wait_until([&] { return read_file(dir.file(std::string(bus) + ".log")).has_value(); });
        }
        env = {"XDG_RUNTIME_DIR=" + dir.path().string(),
               "HOME=" + dir.path().string(),
               "XDG_DATA_HOME=" + dir.file("share"),
               "XDG_CONFIG_HOME=" + dir.file("config"),
               "GSETTINGS_BACKEND=keyfile",
               "DBUS_SESSION_BUS_ADDRESS=" + bus_address(),
               "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir.file("system")};
        shell = spawn({"gnome-shell", "--headless", "--wayland", "--wayland-display=vorlix-gnome",
                       "--virtual-monitor", "1024x768"},
                      env, dir.file("log"));
        wait_until([&] {  // its X display, as its log tells it, and the key to it
            const std::string log = read_file(dir.file("log")).value_or("");
            const auto at = log.find("Using public X11 display ");
            if (at == std::string::npos) return false;
            x_display = log.substr(at + 25, log.find(',', at) - at - 25);
            for (const auto& f : std::filesystem::directory_iterator(dir.path()))
                if (f.path().filename().string().starts_with(".mutter-Xwaylandauth"))
                    return ::setenv("XAUTHORITY", f.path().c_str(), 1), true;
            return false;
        });
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", "vorlix-gnome", 1);
        ::setenv("DISPLAY", x_display.c_str(), 1);
        x11 = adapters::x11::X11WindowSystem::open();
    }
    ~GnomeShell() {
        stop_child(shell);
        for (const pid_t bus : buses) stop_child(bus);
    }
    std::string bus_address() const { return "unix:path=" + dir.file("session"); }
    // The adapter, once the shell is on the bus and, if `listed`, the
    // extension has answered.
    std::unique_ptr<GnomeWindowSystem> windows(bool listed = true) const {
        std::unique_ptr<GnomeWindowSystem> ws;
        wait_until([&] {
            auto opened = GnomeWindowSystem::open(bus_address().c_str(), x11.get());
            if (opened) ws = std::move(opened).value();
            return ws != nullptr;
        });
        if (ws && listed) wait_until([&] { return ws->process_events(), ws->notice().empty(); });
        return ws;
    }
    // gnome-extensions, in this session.
    void extensions(const char* command) const {
        ::waitpid(spawn({"gnome-extensions", command, adapters::gnome::kExtensionUuid}, env,
                        dir.file("log")),
                  nullptr, 0);
    }

    TempDir dir;
    std::unique_ptr<adapters::x11::X11WindowSystem> x11;
    std::vector<pid_t> buses;
    std::vector<std::string> env;
    pid_t shell = -1;
    std::string x_display;
};

}  // namespace vorlix::test
