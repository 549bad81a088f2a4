#include "adapters/x11/x11_properties.h"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <string_view>

#include "base/text.h"

namespace vorlix::adapters::x11 {
namespace {

// Long enough for any title a user would read; longer ones are cut.
constexpr std::uint32_t kTitleLongs = 2048;

std::string latin1_to_utf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

std::string_view property_bytes(const xcb_get_property_reply_t* r) {
    if (r == nullptr || r->format != 8) return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(r));
    std::string_view bytes(data, static_cast<std::size_t>(xcb_get_property_value_length(r)));
    return bytes.substr(0, bytes.find('\0'));
}

std::string wm_name_text(const Link& link, const xcb_get_property_reply_t* r) {
    const std::string_view bytes = property_bytes(r);
    if (r == nullptr || bytes.empty()) return {};
    if (r->type == link.atom(kUtf8String)) return std::string(bytes);
    // STRING is Latin-1; COMPOUND_TEXT is read as Latin-1 too, the best
    // that can be done without a converter.
    return latin1_to_utf8(bytes);
}

}  // namespace

xcb_get_property_cookie_t request_property(const Link& link, xcb_window_t w, Prop p) {
    switch (p) {
        case kPropNetName:
            return link.get_property(w, link.atom(kNetWmName), link.atom(kUtf8String), kTitleLongs);
        case kPropWmName:
            return link.get_property(w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, kTitleLongs);
        case kPropState:
            return link.get_property(w, link.atom(kWmState), link.atom(kWmState), 2);
        case kPropTransient:
            return link.get_property(w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 1);
        case kPropProtocols:
        case kPropCount:
            break;
    }
    return link.get_property(w, link.atom(kWmProtocols), XCB_ATOM_ATOM, 64);
}

Prop prop_named(const Link& link, xcb_atom_t atom) {
    if (atom == link.atom(kNetWmName)) return kPropNetName;
    if (atom == XCB_ATOM_WM_NAME) return kPropWmName;
    if (atom == link.atom(kWmState)) return kPropState;
    if (atom == XCB_ATOM_WM_TRANSIENT_FOR) return kPropTransient;
    if (atom == link.atom(kWmProtocols)) return kPropProtocols;
    return kPropCount;
}

void apply_property(const Link& link, WindowInfo& w, Prop p, const xcb_get_property_reply_t* r) {
    switch (p) {
        case kPropNetName:
            w.net_name = std::string(property_bytes(r));
            break;
        case kPropWmName:
            w.wm_name = wm_name_text(link, r);
            break;
        case kPropState: {
            const auto state = property_longs(r, link.atom(kWmState));
            w.client = !state.empty();
            w.iconic = w.client && state[0] == XCB_ICCCM_WM_STATE_ICONIC;
            break;
        }
        case kPropTransient: {
            xcb_window_t t = 0;
            if (r == nullptr || !xcb_icccm_get_wm_transient_for_from_reply(
                                    &t, const_cast<xcb_get_property_reply_t*>(r)))
                t = 0;
            w.transient_for = t;
            break;
        }
        case kPropProtocols: {
            const auto list = property_longs(r, XCB_ATOM_ATOM);
            w.deletable =
                std::find(list.begin(), list.end(), link.atom(kWmDeleteWindow)) != list.end();
            break;
        }
        case kPropCount:
            break;
    }
}

std::string title_of(const WindowInfo& w) {
    return text::normalize_title(w.net_name.empty() ? w.wm_name : w.net_name);
}

}  // namespace vorlix::adapters::x11
