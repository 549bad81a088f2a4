#include "adapters/x11/x11_link.h"

#include <xcb/xcbext.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace vorlix::adapters::x11 {
namespace {

constexpr std::array<const char*, kAtomCount> kAtomNames = {"_NET_SUPPORTED",
                                                            "_NET_SUPPORTING_WM_CHECK",
                                                            "_NET_CLIENT_LIST_STACKING",
                                                            "_NET_CLOSE_WINDOW",
                                                            "_NET_WM_NAME",
                                                            "UTF8_STRING",
                                                            "COMPOUND_TEXT",
                                                            "WM_STATE",
                                                            "WM_PROTOCOLS",
                                                            "WM_DELETE_WINDOW"};

constexpr std::uint32_t kRootEvents =
    XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;

}  // namespace

std::vector<std::uint32_t> property_longs(const xcb_get_property_reply_t* r, xcb_atom_t type) {
    if (r == nullptr || r->format != 32 || r->type != type) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
    return {data, data + xcb_get_property_value_length(r) / 4};
}

Result<Link> Link::open(const char* display_name) {
    const char* shown = display_name != nullptr ? display_name : std::getenv("DISPLAY");
    if (shown == nullptr || *shown == '\0') return Error{std::string(kNoWindows) + "no X display"};
    int screen = 0;
    Link link;
    link.conn_.reset(xcb_connect(display_name, &screen));
    if (const int err = xcb_connection_has_error(link.c()); err != 0) {
        const char* why = err == XCB_CONN_CLOSED_PARSE_ERR ? "is no display name"
                          : err == XCB_CONN_ERROR          ? "does not answer"
                                                           : "refused us";
        return Error{std::string(kNoWindows) + "X display \"" + shown + "\" " + why};
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(link.c()));
    for (int i = 0; i < screen && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) return Error{std::string(kNoWindows) + "the X display has no such screen"};
    link.root_ = it.data->root;

    xcb_change_window_attributes(link.c(), link.root_, XCB_CW_EVENT_MASK, &kRootEvents);
    std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
    for (std::size_t i = 0; i < kAtomCount; ++i)
        cookies[i] = xcb_intern_atom(
            link.c(), 0, static_cast<std::uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i]);
    for (std::size_t i = 0; i < kAtomCount; ++i) {
        auto r = link.wait(xcb_intern_atom_reply, cookies[i]);
        link.atoms_[i] = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return link;
}

bool Link::take(unsigned int sequence, bool block, void** raw) {
    xcb_generic_error_t* error = nullptr;
    *raw = nullptr;
    if (block) {
        ++waited_;
        *raw = xcb_wait_for_reply(c(), sequence, &error);
    } else if (xcb_poll_for_reply(c(), sequence, raw, &error) == 0) {
        return false;
    }
    std::free(error);  // BadWindow: destroyed before it could be read
    return true;
}

void Link::send(xcb_window_t to, std::uint32_t mask, xcb_window_t window, xcb_atom_t type,
                std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = window;
    ev.type = type;
    std::copy(data.begin(), data.end(), ev.data.data32);
    xcb_send_event(c(), 0, to, mask, reinterpret_cast<const char*>(&ev));
}

}  // namespace vorlix::adapters::x11
