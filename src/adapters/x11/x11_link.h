// The adapter's own connection to the X server: the replies it owns, the
// atoms it names, and how many replies it has waited for.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/result.h"

namespace vorlix::adapters::x11 {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
// Every reply, event and error xcb hands over is freed by its owner.
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

enum AtomName : std::size_t {
    kNetSupported,
    kNetSupportingWmCheck,
    kNetClientListStacking,
    kNetCloseWindow,
    kNetWmName,
    kUtf8String,
    kCompoundText,
    kWmState,
    kWmProtocols,
    kWmDeleteWindow,
    kAtomCount
};

// The events of a top-level window that keep its entry current.
inline constexpr std::uint32_t kClientEvents =
    XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

// Notices fit the panel's notice label: about 45 characters.
inline constexpr const char* kNoWindows = "No windows: ";

// A property's 32-bit items, or none when it is of another type or format.
std::vector<std::uint32_t> property_longs(const xcb_get_property_reply_t* r, xcb_atom_t type);

class Link {
public:
    // Connects, listens to the root window and names the atoms; the error
    // says why not, for the user.
    [[nodiscard]] static Result<Link> open(const char* display_name);

    bool connected() const { return conn_ != nullptr; }
    bool live() const { return conn_ && xcb_connection_has_error(conn_.get()) == 0; }
    xcb_connection_t* c() const { return conn_.get(); }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(AtomName a) const { return atoms_[a]; }
    std::uint64_t waited() const { return waited_; }

    xcb_get_property_cookie_t get_property(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                                           std::uint32_t longs) const {
        return xcb_get_property_unchecked(c(), 0, w, property, type, 0, longs);
    }

    // The reply to `sequence`; with `block` it waits (and counts the wait),
    // without it false means the reply has not arrived yet. A null reply
    // means the window is gone.
    bool take(unsigned int sequence, bool block, void** raw);

    template <class R, class Cookie>
    Reply<R> wait(R* (*get)(xcb_connection_t*, Cookie, xcb_generic_error_t**), Cookie cookie) {
        ++waited_;
        xcb_generic_error_t* error = nullptr;
        Reply<R> r(get(c(), cookie, &error));
        std::free(error);  // BadWindow: the window is gone, and a null reply says so
        return r;
    }

    // Queued: it leaves with the next flush.
    void send(xcb_window_t to, std::uint32_t mask, xcb_window_t window, xcb_atom_t type,
              std::array<std::uint32_t, 5> data);

private:
    struct Disconnect {
        void operator()(xcb_connection_t* c) const noexcept { xcb_disconnect(c); }
    };
    std::unique_ptr<xcb_connection_t, Disconnect> conn_;
    xcb_window_t root_ = 0;
    std::array<xcb_atom_t, kAtomCount> atoms_{};
    std::uint64_t waited_ = 0;
};

}  // namespace vorlix::adapters::x11
