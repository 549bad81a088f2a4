// An X client that makes the windows a well-behaved program would not: huge
// or broken titles, thousands of windows, windows that come and go as fast as
// the server allows, and windows that take close requests and ignore them.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::reliability {

class HostileClient {
public:
    explicit HostileClient(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(c_) != 0) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        root_ = screen->root;
        visual_ = screen->root_visual;
    }
    ~HostileClient() { xcb_disconnect(c_); }
    HostileClient(const HostileClient&) = delete;
    HostileClient& operator=(const HostileClient&) = delete;

    bool ok() const { return root_ != 0; }

    xcb_atom_t atom(const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr),
            &std::free);
        return r ? r->atom : 0;
    }

    // A top-level window that lists WM_DELETE_WINDOW, so close requests
    // reach it (and are ignored: nobody reads them).
    xcb_window_t create(bool map = true) {
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_, 0, nullptr);
        const xcb_atom_t del = delete_atom();
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, protocols_atom(), XCB_ATOM_ATOM, 32, 1,
                            &del);
        if (map) xcb_map_window(c_, w);
        return w;
    }
    void set_property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                      std::string_view bytes) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                            static_cast<std::uint32_t>(bytes.size()), bytes.data());
    }
    void set_longs(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                   const std::vector<std::uint32_t>& longs) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, property, type, 32,
                            static_cast<std::uint32_t>(longs.size()), longs.data());
    }
    void set_net_name(xcb_window_t w, std::string_view bytes) {
        if (net_name_ == 0) net_name_ = atom("_NET_WM_NAME");
        if (utf8_ == 0) utf8_ = atom("UTF8_STRING");
        set_property(w, net_name_, utf8_, bytes);
    }
    void destroy(xcb_window_t w) { xcb_destroy_window(c_, w); }

    // Every request so far has been handled by the server.
    bool sync() {
        xcb_flush(c_);
        std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> r(
            xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr), &std::free);
        return r != nullptr;
    }

    // The WM_DELETE_WINDOW requests received so far, by window.
    std::vector<xcb_window_t> close_requests() {
        std::vector<xcb_window_t> out;
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
            if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                const auto* m = reinterpret_cast<xcb_client_message_event_t*>(e);
                if (m->type == protocols_atom() && m->data.data32[0] == delete_atom()) {
                    out.push_back(m->window);
                }
            }
            std::free(e);
        }
        return out;
    }

private:
    xcb_atom_t protocols_atom() {
        if (protocols_ == 0) protocols_ = atom("WM_PROTOCOLS");
        return protocols_;
    }
    xcb_atom_t delete_atom() {
        if (delete_ == 0) delete_ = atom("WM_DELETE_WINDOW");
        return delete_;
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_visualid_t visual_ = 0;
    xcb_atom_t protocols_ = 0;
    xcb_atom_t delete_ = 0;
    xcb_atom_t net_name_ = 0;
    xcb_atom_t utf8_ = 0;
};

}  // namespace vorlix::reliability
