// The look-up we did not build, for the benchmarks only: every find_by_title asks
// the X server afresh (QueryTree of the root, then _NET_WM_NAME of every
// child, all asked before the first answer is read, so two round trips per
// look-up whatever the number of windows). The walk is passed on to the real
// adapter, so only the look-ups differ. Asking only _NET_WM_NAME, and
// pipelining, makes it the cheapest fair version of the idea.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <string>

#include "forwarding_window_system.h"

namespace vorlix::bench {

class QueryWindowSystem final : public ForwardingWindowSystem {
public:
    // `walker` answers the walk and sends the close requests.
    QueryWindowSystem(platform::WindowSystem& walker, const std::string& display);
    ~QueryWindowSystem() override;
    QueryWindowSystem(const QueryWindowSystem&) = delete;
    QueryWindowSystem& operator=(const QueryWindowSystem&) = delete;

    // Replies waited for by the look-ups, counted as the adapter counts its
    // own; and the round trips, the sequential waits among them.
    std::uint64_t replies_waited() const { return replies_; }
    std::uint64_t round_trips() const { return round_trips_; }

    platform::WindowId find_by_title(std::string_view title) override;
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override;
    // Every pair is asked: no index to skip any by.
    const TitleIndex* title_index() override { return nullptr; }

private:
    platform::WindowId find_key(const std::string& wanted);

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_atom_t net_wm_name_ = XCB_ATOM_NONE;
    xcb_atom_t utf8_ = XCB_ATOM_NONE;
    std::uint64_t replies_ = 0;
    std::uint64_t round_trips_ = 0;
};

}  // namespace vorlix::bench
