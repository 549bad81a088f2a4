// The desktop's top-level windows, as the behaviour needs them: a walk from the
// topmost down, a look-up by whole title, and a request to close.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/title_index.h"

namespace vorlix::platform {

// An opaque window handle (an X window id, an HWND). 0 names no window.
using WindowId = std::uint64_t;

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The topmost top-level window, or 0 when there is none. `from` is the
    // caller's own top-level window (it may be 0). Starting a walk is where an
    // adapter may refresh whatever it caches about the top-level windows.
    virtual WindowId first_top_level(WindowId from) = 0;

    // The next window below `w` in stacking order; 0 after the last one and
    // when `w` no longer names a window. Never fails loudly: a window that
    // vanished mid-walk simply ends or shortens the walk.
    virtual WindowId next_top_level(WindowId w) = 0;

    // Visible as a user would say it: shown, or minimised. False for a
    // window that no longer exists.
    virtual bool is_visible(WindowId w) = 0;

    // The owner window (a dialog's parent), or 0 when it has none.
    virtual WindowId owner(WindowId w) = 0;

    // The title as this program reads titles (text::normalize_title), or the
    // empty string when the window has none or it cannot be read.
    virtual std::string title(WindowId w) = 0;

    // A top-level window whose whole title, read as above, equals `title`
    // with letter case ignored (both keyed by text::title_key); the topmost
    // when several qualify; 0 when none does. Must not cost a round trip to
    // another process.
    virtual WindowId find_by_title(std::string_view title) = 0;

    // The same look-up for a title whose key (text::title_key) is
    // head.text + tail.text, keyed by the caller once for many look-ups:
    // builds no text, allocates nothing, and may answer from what the
    // adapter knew up to a millisecond before. Nothing when the window
    // system has no such look-up: the caller then builds the title.
    virtual std::optional<WindowId> find_by_keys(const TitleKey& head, const TitleKey& tail) {
        (void)head, (void)tail;
        return std::nullopt;
    }

    // The index find_by_keys answers from, brought up to date as a look-up
    // would bring it (it may read pending events); nullptr when there is
    // none. A key it does not hold is a miss without asking, as long as its
    // insertions() count stands and the event loop has not run since.
    virtual const TitleIndex* title_index() { return nullptr; }

    // Asks the window to close (the window system's polite close message).
    // Does not wait and never destroys or kills the window's client. False
    // when no request was sent: the window is gone, or it could only be
    // closed by force.
    [[nodiscard]] virtual bool post_close(WindowId w) = 0;

    // One line for the user about what this adapter can see (for example
    // that only X11 windows are visible in a Wayland session); empty when
    // there is nothing to say.
    virtual std::string notice() const = 0;
};

// A window system that learns of changes through a connection of its own.
// The composition root watches the descriptor and lets it read what is
// pending whenever it is readable, so that events never pile up while no
// walk or look-up runs; every such window system is started the same way.
class WatchedWindowSystem : public WindowSystem {
public:
    // The connection's socket, or -1 without one (never opened, or lost).
    [[nodiscard]] virtual int event_fd() const = 0;
    // Reads and handles what is pending, without blocking.
    virtual void process_events() = 0;
    // Sends the requests held back (a scan's closes go out together); the
    // composition root calls it whenever the event loop is about to wait.
    virtual void flush() {}
};

}  // namespace vorlix::platform
