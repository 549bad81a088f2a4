// A headless compositor of the tests' own, run as an unprivileged user in a
// private runtime folder (sway refuses root), and windows on it: native ones
// through xdg-shell, X11 ones through its XWayland.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cstring>
#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "../support/support.h"
#include "xdg-shell-client-protocol.h"

namespace vorlix::test {

inline pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env,
                   const std::string& log, bool unprivileged = false) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    for (std::string& e : env) ::putenv(e.data());
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(fd, 1), ::dup2(fd, 2);
    if (unprivileged && ::getuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        ::_exit(126);
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

inline void stop(pid_t& pid) {
    if (pid > 0 && ::kill(pid, SIGTERM) == 0) ::waitpid(pid, nullptr, 0);
    pid = -1;
}

class Compositor {
public:
    // sway offers the toplevel list; weston does not.
    explicit Compositor(bool sway) {
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        if (::getuid() == 0 && ::chown(dir.path().c_str(), 65534, 65534) != 0) return;
        const std::string env_file = dir.file("env"), log = dir.file("log");
        write_file(dir.file("config"),
                   "xwayland force\nexec printenv WAYLAND_DISPLAY DISPLAY > " + env_file + "\n");
        const std::vector<std::string> env = {
            "XDG_RUNTIME_DIR=" + dir.path().string(), "HOME=" + dir.path().string(),
            "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"};
        pid = sway ? spawn({"sway", "-c", dir.file("config")}, env, log, true)
                   : spawn({"weston", "--backend=headless-backend.so", "--xwayland",
                            "--socket=wayland-vorlix", "--idle-time=0"},
                           env, log, true);
        wait_until([&] {  // the displays, as sway's children or weston's log tell them
            const std::string text = read_file(sway ? env_file : log).value_or("");
            const auto x = text.find(sway ? "\n:" : "listening on display :");
            if (x == std::string::npos || text.back() != '\n') return false;
            wayland = sway ? text.substr(0, text.find('\n')) : "wayland-vorlix";
            x_display = text.substr(text.find(':', x), text.find('\n', x + 1) - text.find(':', x));
            return true;
        });
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
        ::setenv("DISPLAY", x_display.c_str(), 1);
        // XWayland lets in only its own user; the tests' X clients may be root.
        pid_t xhost = spawn({"xhost", "+si:localuser:root"}, {}, log, true);
        ::waitpid(xhost, nullptr, 0);
    }
    ~Compositor() { stop(pid); }
    bool up() const { return !x_display.empty(); }
    std::string why_not() { return "no compositor: " + read_file(dir.file("log")).value_or(""); }

    TempDir dir;
    pid_t pid = -1;
    std::string wayland, x_display;
};

// Native toplevels of a client of our own; close requests are recorded, never obeyed.
class NativeWindows {
public:
    struct Window {
        xdg_toplevel* toplevel = nullptr;
        wl_surface* surface = nullptr;
        xdg_surface* xdg = nullptr;
        bool close_requested = false;
    };

    NativeWindows() {
        static const wl_registry_listener globals = {
            .global =
                [](void* data, wl_registry* r, uint32_t name, const char* iface, uint32_t) {
                    auto& self = *static_cast<NativeWindows*>(data);
                    auto bind = [&](const wl_interface* i) {
                        return wl_registry_bind(r, name, i, 1);
                    };
                    if (!std::strcmp(iface, "wl_compositor"))
                        self.compositor_ =
                            static_cast<wl_compositor*>(bind(&wl_compositor_interface));
                    if (!std::strcmp(iface, "wl_shm"))
                        self.shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface));
                    if (!std::strcmp(iface, "xdg_wm_base"))
                        self.shell_ = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface));
                },
            .global_remove = [](void*, wl_registry*, uint32_t) {}};
        static const xdg_wm_base_listener pong = {
            .ping = [](void*, xdg_wm_base* b, uint32_t serial) { xdg_wm_base_pong(b, serial); }};
        wl_registry_add_listener(wl_display_get_registry(display_), &globals, this);
        wl_display_roundtrip(display_);
        xdg_wm_base_add_listener(shell_, &pong, nullptr);
        const int fd = ::memfd_create("pixels", 0);
        if (::ftruncate(fd, 64 * 64 * 4) != 0) return;
        wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, 64 * 64 * 4);
        buffer_ = wl_shm_pool_create_buffer(pool, 0, 64, 64, 64 * 4, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        ::close(fd);
    }
    ~NativeWindows() { wl_display_disconnect(display_); }

    Window& open(const std::string& title, Window* parent = nullptr) {
        static const xdg_surface_listener mapper = {.configure = [](void* data, xdg_surface* s,
                                                                    uint32_t serial) {
            auto& self = *static_cast<NativeWindows*>(data);
            xdg_surface_ack_configure(s, serial);
            for (Window& w : self.windows_)
                if (w.xdg == s)
                    wl_surface_attach(w.surface, self.buffer_, 0, 0), wl_surface_commit(w.surface);
        }};
        static const xdg_toplevel_listener closer = {
            .configure = [](void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {},
            .close = [](void* w,
                        xdg_toplevel*) { static_cast<Window*>(w)->close_requested = true; },
            .configure_bounds = nullptr,
            .wm_capabilities = nullptr};
        Window& w = windows_.emplace_back();
        w.surface = wl_compositor_create_surface(compositor_);
        w.xdg = xdg_wm_base_get_xdg_surface(shell_, w.surface);
        xdg_surface_add_listener(w.xdg, &mapper, this);
        w.toplevel = xdg_surface_get_toplevel(w.xdg);
        xdg_toplevel_add_listener(w.toplevel, &closer, &w);
        xdg_toplevel_set_title(w.toplevel, title.c_str());
        xdg_toplevel_set_app_id(w.toplevel, "vorlix-test");
        if (parent != nullptr) xdg_toplevel_set_parent(w.toplevel, parent->toplevel);
        wl_surface_commit(w.surface);
        pump();
        return w;
    }
    void retitle(Window& w, const std::string& title) {
        xdg_toplevel_set_title(w.toplevel, title.c_str());
        wl_surface_commit(w.surface);
        pump();
    }
    void close(Window& w) {
        xdg_toplevel_destroy(w.toplevel);
        xdg_surface_destroy(w.xdg);
        wl_surface_destroy(w.surface);
        pump();
    }
    // Twice: requests sent from the first one's callbacks are handled too.
    void pump() { wl_display_roundtrip(display_), wl_display_roundtrip(display_); }

private:
    wl_display* display_ = wl_display_connect(nullptr);
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* shell_ = nullptr;
    wl_buffer* buffer_ = nullptr;
    std::list<Window> windows_;  // listeners hold their addresses
};

// X11 windows on XWayland, each asking for WM_DELETE_WINDOW.
class XWindows {
public:
    XWindows() : c_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~XWindows() { xcb_disconnect(c_); }

    xcb_window_t open(const std::string& title, xcb_window_t owner = 0,
                      const std::string& wm_class = std::string("vorlix\0VorlixTest", 17)) {
        const xcb_window_t w = xcb_generate_id(c_);
        const std::uint32_t white = 0xFFFFFF;  // painted, so XWayland shows it
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 64, 64, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                          &white);
        set(w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, title.data(), title.size());
        set(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wm_class.data(), wm_class.size() + 1);
        const xcb_atom_t del = atom("WM_DELETE_WINDOW");
        set(w, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32, &del, 1);
        if (owner != 0) set(w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, &owner, 1);
        xcb_map_window(c_, w);
        xcb_flush(c_);
        return w;
    }
    void close(xcb_window_t w) { xcb_destroy_window(c_, w), xcb_flush(c_); }
    bool close_requested(xcb_window_t w) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
            const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
            if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE) asked_.push_back(m->window);
            std::free(e);
        }
        return std::find(asked_.begin(), asked_.end(), w) != asked_.end();
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t a = r != nullptr ? r->atom : 0;
        std::free(r);
        return a;
    }
    void set(xcb_window_t w, xcb_atom_t p, xcb_atom_t type, int format, const void* d, size_t n) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, p, type, format, n, d);
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    std::vector<xcb_window_t> asked_;
};

}  // namespace vorlix::test
