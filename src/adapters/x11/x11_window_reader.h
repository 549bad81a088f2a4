// Reads windows' attributes and properties without waiting for the server
// unless told to: requests go out at once, answers are taken as they arrive
// and stored in the window table.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <bitset>
#include <deque>
#include <optional>
#include <unordered_set>
#include <vector>

#include "adapters/x11/x11_link.h"
#include "adapters/x11/x11_properties.h"
#include "adapters/x11/x11_window_table.h"

namespace vorlix::adapters::x11 {

class WindowReader {
public:
    WindowReader(Link& link, WindowTable& table) : link_(link), table_(table) {}

    // What the events say; windows not in the table yet are remembered.
    void created(xcb_window_t id);
    void destroyed(xcb_window_t id);
    void property_changed(xcb_window_t id, xcb_atom_t atom);
    void map_changed(xcb_window_t id, bool viewable);

    // Asks about the windows created since the walk; their answers are
    // stored as they arrive, so that no look-up waits for them.
    void ask_created();
    // Stores the answers that have arrived; with `block`, all of them, and
    // leaves the index to the walk.
    void take_answers(bool block);
    // Reads these windows into the table before returning, the whole batch
    // in one round trip; the walk rebuilds the index afterwards.
    void read_now(const std::vector<xcb_window_t>& ids);
    // The walk has seen every window there is.
    void forget_created() { created_.clear(); }

    // Requests were queued that the server has not been sent yet.
    [[nodiscard]] bool take_must_flush();

private:
    // A window being read: its attributes, then its properties, answer by
    // answer, so that reading can stop when the next answer is not there yet.
    struct Ask {
        xcb_window_t id = 0;
        xcb_get_window_attributes_cookie_t attributes{};
        std::array<xcb_get_property_cookie_t, kPropCount> props{};
        std::size_t read = 0;  // answers taken so far
        bool gone = false;
        WindowInfo w;
        // What events said while the answers were on their way: the
        // answers may predate it, and the window is not in the table yet.
        std::bitset<kPropCount> changed;
        std::optional<bool> viewable;
        bool complete() const { return read == kPropCount + 1; }
    };
    struct Refresh {
        xcb_window_t window;
        Prop prop;
        xcb_get_property_cookie_t cookie;
    };

    Ask ask(xcb_window_t id);
    Ask* asking(xcb_window_t id);
    bool take_one(Ask& a, bool block);
    void settle(Ask& a, bool index);
    void refresh(xcb_window_t id, Prop p);
    void take_refreshes(bool block);

    Link& link_;
    WindowTable& table_;
    std::unordered_set<xcb_window_t> created_;  // since the walk, not asked about yet
    std::deque<Ask> asking_;                    // asked about, answers not all read
    std::deque<Refresh> refreshing_;            // property refreshes sent, replies not read
    bool must_flush_ = false;
};

}  // namespace vorlix::adapters::x11
