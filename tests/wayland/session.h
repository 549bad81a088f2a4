// A headless compositor of the tests' own, run as an unprivileged user in a
// private runtime folder (sway refuses root), and windows on it: native ones
// on connections of their own, X11 ones of xmessage on its XWayland.
#pragma once

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>
#include <vector>

#include "platform/window_system.h"
#include "support.h"
#include "x_server.h"
#include "xdg-shell-client-protocol.h"

namespace vorlix::test {

// The titles of a walk from `from`, in walk order.
inline std::vector<std::string> titles(platform::WindowSystem& ws, platform::WindowId from = 0) {
    std::vector<std::string> titles;
    for (auto h = ws.first_top_level(from); h != 0; h = ws.next_top_level(h))
        titles.push_back(ws.title(h));
    return titles;
}

enum class Desktop { sway, weston, phoc };

class Compositor {
public:
    // sway and phoc list their toplevels to clients; weston does not.
    explicit Compositor(Desktop desktop) {
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        if (::getuid() == 0 && ::chown(dir.path().c_str(), 65534, 65534) != 0) return;
        const std::string env_file = dir.file("env"), log = dir.file("log");
        const std::string tell = "printenv WAYLAND_DISPLAY DISPLAY >" + env_file;
        write_file(dir.file("config"), desktop == Desktop::sway ? "xwayland force\nexec " + tell
                                                                : "[core]\nxwayland=true\n");
        const std::vector<std::string> env = {
            "XDG_RUNTIME_DIR=" + dir.path().string(), "HOME=" + dir.path().string(),
            "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"};
        const bool weston = desktop == Desktop::weston;
        // In Desktop's order. phoc ends with its session command, which ends
        // with phoc.
        const std::vector<std::string> commands[] = {
            {"sway", "-c", dir.file("config")},
            {"weston", "--backend=headless-backend.so", "--xwayland", "--socket=wayland-vorlix",
             "--idle-time=0"},
            {"phoc", "-C", dir.file("config"), "-E",
             tell + "; exec tail --pid=$PPID -f /dev/null"}};
        pid = test::spawn(commands[static_cast<int>(desktop)], env, log, true);
        wait_until([&] {  // the displays, as the session command or weston's log tell them
            if (::waitpid(pid, nullptr, WNOHANG) == pid) return pid = -1, true;  // it failed
            const std::string text = read_file(weston ? log : env_file).value_or("");
            const auto x = text.find(weston ? "listening on display :" : "\n:");
            if (x == std::string::npos || text.back() != '\n') return false;
            wayland = weston ? "wayland-vorlix" : text.substr(0, text.find('\n'));
            x_display = text.substr(text.find(':', x), text.find('\n', x + 1) - text.find(':', x));
            return true;
        });
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
        ::setenv("DISPLAY", x_display.c_str(), 1);
        // XWayland lets in only its own user; the tests' X clients may be root.
        ::waitpid(test::spawn({"xhost", "+si:localuser:root"}, {}, log, true), nullptr, 0);
    }
    ~Compositor() { test::stop_child(pid); }
    // An X11 window that leaves when asked to close.
    pid_t xmessage(const std::string& title) const {
        return test::spawn({"xmessage", "-title", title, "x"}, {}, dir.file("x"));
    }

    TempDir dir;
    pid_t pid = -1;
    std::string wayland, x_display;
};

// A native toplevel on a connection of its own, which records close
// requests and never obeys them; it goes with the object.
class NativeWindow {
    template <class T>
    static T* as(void* p) {
        return static_cast<T*>(p);
    }

public:
    explicit NativeWindow(const std::string& title) {
        static const wl_registry_listener globals = {
            .global =
                [](void* data, wl_registry* r, uint32_t name, const char* iface, uint32_t) {
                    auto& self = *static_cast<NativeWindow*>(data);
                    for (auto [want, into] :
                         {std::pair{&wl_compositor_interface, &self.compositor_},
                          {&wl_shm_interface, &self.shm_},
                          {&xdg_wm_base_interface, &self.shell_}})
                        if (std::strcmp(iface, want->name) == 0)
                            *into = wl_registry_bind(r, name, want, 1);
                },
            .global_remove = [](void*, wl_registry*, uint32_t) {}};
        static const xdg_surface_listener mapper = {
            .configure = [](void* data, xdg_surface* s, uint32_t serial) {
                auto& self = *static_cast<NativeWindow*>(data);
                xdg_surface_ack_configure(s, serial);
                wl_surface_attach(as<wl_surface>(self.surface_), as<wl_buffer>(self.buffer_), 0, 0);
                wl_surface_commit(as<wl_surface>(self.surface_));
            }};
        static const xdg_toplevel_listener closer = {
            [](void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {},
            [](void* data, xdg_toplevel*) { static_cast<NativeWindow*>(data)->asked_ = true; },
            nullptr, nullptr};
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(as<wl_registry>(registry_), &globals, this);
        wl_display_roundtrip(display_);
        // KWin shows a window that does not answer its pings as not responding.
        static const xdg_wm_base_listener ponger = {
            [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }};
        xdg_wm_base_add_listener(as<xdg_wm_base>(shell_), &ponger, nullptr);
        const int fd = ::memfd_create("pixels", 0);
        if (::ftruncate(fd, 64 * 64 * 4) != 0) return;
        wl_shm_pool* pool = wl_shm_create_pool(as<wl_shm>(shm_), fd, 64 * 64 * 4);
        buffer_ = wl_shm_pool_create_buffer(pool, 0, 64, 64, 64 * 4, WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        ::close(fd);
        surface_ = wl_compositor_create_surface(as<wl_compositor>(compositor_));
        xdg_ = xdg_wm_base_get_xdg_surface(as<xdg_wm_base>(shell_), as<wl_surface>(surface_));
        xdg_surface_add_listener(as<xdg_surface>(xdg_), &mapper, this);
        toplevel_ = xdg_surface_get_toplevel(as<xdg_surface>(xdg_));
        xdg_toplevel_add_listener(as<xdg_toplevel>(toplevel_), &closer, this);
        retitle(title);
    }
    ~NativeWindow() {
        for (void* p : {toplevel_, xdg_, surface_, buffer_, shell_, shm_, compositor_, registry_})
            if (p != nullptr) wl_proxy_destroy(as<wl_proxy>(p));
        wl_display_disconnect(display_);
    }

    void retitle(const std::string& title) {
        xdg_toplevel_set_title(as<xdg_toplevel>(toplevel_), title.c_str());
        wl_surface_commit(as<wl_surface>(surface_));
        pump();
    }
    // Whether a close request arrives within the limit.
    bool asked(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return wait_until([&] { return pump(), asked_; }, limit);
    }

private:
    // Twice: requests sent from the first one's callbacks are handled too.
    void pump() { wl_display_roundtrip(display_), wl_display_roundtrip(display_); }

    wl_display* display_ = wl_display_connect(nullptr);
    // Untyped, so that the destructor lets go of them alike.
    void *compositor_ = nullptr, *shm_ = nullptr, *shell_ = nullptr, *registry_ = nullptr;
    void *buffer_ = nullptr, *surface_ = nullptr, *xdg_ = nullptr, *toplevel_ = nullptr;
    bool asked_ = false;
};

}  // namespace vorlix::test
