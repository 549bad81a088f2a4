// The desktop's toplevels on a Wayland compositor that offers wlroots'
// foreign toplevel management (sway, Hyprland, labwc, river, Wayfire). The
// compositor announces native and XWayland toplevels alike; their titles,
// app ids, states and parents live in a table that the protocol's events keep
// current, so a look-up by title is a hash look-up and never waits for the
// compositor.
//
// Walk order: the protocol has no stacking order, so the walk goes from the
// toplevel activated most recently down; toplevels not activated since this
// program connected follow, the most recently announced first (those open
// when it connected in the compositor's own order). A look-up that several
// toplevels answer takes the first of them in that order. Every toplevel
// the compositor lists counts as visible: it lists mapped ones only, and a
// minimised one is still open as a user sees it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/window_system.h"

namespace vorlix::adapters::wayland {

// How this program's own windows look among the toplevels: the app id the
// compositor gives them (on XWayland, their X window class), and the title
// of one of them named by the id the toolkit knows it by.
struct OwnWindows {
    std::string app_id;
    std::function<std::string(platform::WindowId)> title_of;
};

// Closes an X window the X11 way, by its title: nullopt when no X window
// bears it, else whether a close went out. wlroots, asked to close an X
// window that does not take WM_DELETE_WINDOW, kills its client.
using CloseXWindow = std::function<std::optional<bool>(std::string_view title)>;

class WaylandWindowSystem final : public platform::WatchedWindowSystem {
public:
    // Connects to the named display (nullptr: $WAYLAND_DISPLAY) and binds
    // the toplevel manager. An error, with the reason, when there is no
    // compositor or it does not offer the manager.
    static Result<std::unique_ptr<WaylandWindowSystem>> open(const char* display_name,
                                                             OwnWindows own,
                                                             CloseXWindow close_x = {});

    ~WaylandWindowSystem() override;
    WaylandWindowSystem(const WaylandWindowSystem&) = delete;
    WaylandWindowSystem& operator=(const WaylandWindowSystem&) = delete;

    // `from` names the caller's own window: the walk leaves it out, since
    // its id here is not the one the caller knows.
    platform::WindowId first_top_level(platform::WindowId from) override;
    platform::WindowId next_top_level(platform::WindowId w) override;
    bool is_visible(platform::WindowId w) override;
    platform::WindowId owner(platform::WindowId w) override;
    std::string title(platform::WindowId w) override;
    platform::WindowId find_by_title(std::string_view title) override;
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override;
    const TitleIndex* title_index() override;
    // The protocol does not say which toplevels are X windows: any that an
    // X window's title matches goes to `close_x`, the others get the
    // compositor's close.
    bool post_close(platform::WindowId w) override;
    std::string notice() const override;

    int event_fd() const override;
    void process_events() override;

    // Round trips to the compositor since the connection was opened: the
    // measure that look-ups cost none, for tests and benchmarks.
    [[nodiscard]] std::uint64_t round_trips() const;

    struct State;

private:
    explicit WaylandWindowSystem(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

}  // namespace vorlix::adapters::wayland
