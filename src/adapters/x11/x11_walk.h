// The walk: the top-level windows in stacking order, topmost first, as the
// window manager lists its clients when one runs and can be trusted, and
// what that window manager offers for closing them. Without such a list, a
// frame stands for the client inside it.
#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "adapters/x11/x11_link.h"
#include "adapters/x11/x11_window_reader.h"
#include "adapters/x11/x11_window_table.h"

namespace vorlix::adapters::x11 {

class Walk {
public:
    Walk(Link& link, WindowTable& table, WindowReader& reader)
        : link_(link), table_(table), reader_(reader) {}

    // Walks anew, reading the windows the table lacks; the topmost, or 0.
    xcb_window_t first();
    // The next window of the last walk still there, or 0.
    [[nodiscard]] xcb_window_t next(xcb_window_t w) const;

    // The window manager is to be checked again at the next walk.
    void forget_window_manager() {
        wm_check_ = 0;
        wm_closes_ = false;
        current_ = false;
    }
    // The stacking order or the window manager's lists may have changed:
    // the next walk asks the server again.
    void changed() { current_ = false; }
    [[nodiscard]] bool is_window_manager_check(xcb_window_t w) const { return w == wm_check_; }
    // A window manager that can be trusted takes _NET_CLOSE_WINDOW.
    [[nodiscard]] bool window_manager_closes() const { return wm_closes_; }

private:
    void verify_window_manager(xcb_window_t check);
    // The top-level windows with each frame replaced by its client, read.
    std::vector<xcb_window_t> clients_for(const std::vector<xcb_window_t>& top_levels);
    // The client inside each of these frames that has one.
    // Sets `current_` false for a frame whose client may yet show itself.
    std::unordered_map<xcb_window_t, xcb_window_t> search_clients(
        const std::vector<xcb_window_t>& frames);

    Link& link_;
    WindowTable& table_;
    WindowReader& reader_;
    std::vector<xcb_window_t> snapshot_;                        // topmost first
    std::unordered_map<xcb_window_t, std::size_t> position_;    // in snapshot_
    std::unordered_map<xcb_window_t, xcb_window_t> client_of_;  // frame to client, last walk
    xcb_window_t wm_check_ = 0;  // the window manager's check window, once verified
    bool wm_closes_ = false;     // the window manager lists _NET_CLOSE_WINDOW
    // Nothing the last walk read has changed since: the server would answer
    // the same, so it is not asked.
    bool current_ = false;
};

}  // namespace vorlix::adapters::x11
