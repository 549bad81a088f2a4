#include "adapters/x11/x11_hints.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <thread>

#include "adapters/x11/x11_link.h"

namespace vorlix::adapters::x11 {
namespace {

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<std::uint32_t> longs_of(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property,
                                    xcb_atom_t type, std::uint32_t longs) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, longs), nullptr));
    return property_longs(reply.get(), type);
}

// A window manager answers within milliseconds; one that offers the
// request but never answers delays start-up by no more than this.
constexpr std::chrono::milliseconds kFrameWait{500};

}  // namespace

FrameExtents frame_to_come(xcb_connection_t* c, xcb_window_t w) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t request = intern(c, "_NET_REQUEST_FRAME_EXTENTS");
    const auto supported = longs_of(c, root, intern(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    if (std::find(supported.begin(), supported.end(), request) == supported.end()) return {};

    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = request;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
    const xcb_atom_t extents = intern(c, "_NET_FRAME_EXTENTS");
    const auto until = std::chrono::steady_clock::now() + kFrameWait;
    do {
        const auto e = longs_of(c, w, extents, XCB_ATOM_CARDINAL, 4);  // l, r, t, b
        if (e.size() == 4) return {int(e[0]), int(e[1]), int(e[2]), int(e[3])};
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < until);
    return {};
}

void keep_off_taskbar(xcb_connection_t* c, xcb_window_t w) {
    const std::array<xcb_atom_t, 2> states = {intern(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                              intern(c, "_NET_WM_STATE_SKIP_PAGER")};
    // Before the window is mapped the state is a plain property, which the
    // window manager reads when it maps the window.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, intern(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        std::uint32_t(states.size()), states.data());
    xcb_flush(c);
}

}  // namespace vorlix::adapters::x11
