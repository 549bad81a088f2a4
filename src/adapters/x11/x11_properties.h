// What the table keeps of a top-level window, and how each of its
// properties is asked for and read: title decoding lives here.
#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <string>

#include "adapters/x11/x11_link.h"

namespace vorlix::adapters::x11 {

// The properties of a top-level window that the table mirrors.
enum Prop : std::size_t {
    kPropNetName,
    kPropWmName,
    kPropState,
    kPropTransient,
    kPropProtocols,
    kPropCount
};

struct WindowInfo {
    bool override_redirect = false;
    bool viewable = false;
    bool iconic = false;
    bool deletable = false;  // lists WM_DELETE_WINDOW in WM_PROTOCOLS
    bool managed = false;    // in the window manager's client list at the last walk
    bool client = false;     // carries WM_STATE: a client, not a window manager's frame
    xcb_window_t transient_for = 0;
    std::string net_name;     // _NET_WM_NAME, UTF-8
    std::string wm_name;      // WM_NAME, converted to UTF-8
    std::string title;        // as this program reads it
    std::string key;          // text::title_key(title): the look-up key
    std::size_t rank = 0;     // stacking place at the last walk, topmost 0
    std::size_t restack = 0;  // the table's restack that last ranked it
};

// Asks for the property; the reply is read later.
xcb_get_property_cookie_t request_property(const Link& link, xcb_window_t w, Prop p);

// The property a PropertyNotify names, or kPropCount for one not kept.
Prop prop_named(const Link& link, xcb_atom_t atom);

// Takes the property's value from its reply (null: absent).
void apply_property(const Link& link, WindowInfo& w, Prop p, const xcb_get_property_reply_t* r);

// The title as this program reads it: _NET_WM_NAME first, WM_NAME without it.
std::string title_of(const WindowInfo& w);

}  // namespace vorlix::adapters::x11
