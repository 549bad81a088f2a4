// The desktop's top-level windows over xcb. Titles, visibility and owners
// live in a table that a walk fills and X events keep current, so that a
// look-up by title is a hash look-up and never waits for the X server.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/window_system.h"

namespace vorlix::adapters::x11 {

class X11WindowSystem final : public platform::WatchedWindowSystem {
public:
    // Opens $DISPLAY. Never fails: without a display the instance lists and
    // finds nothing, and notice() says why.
    static std::unique_ptr<X11WindowSystem> open();
    // Opens the named display (nullptr: $DISPLAY). In a Wayland session,
    // `wayland_notice` is the notice when there is more to say than that
    // native windows cannot be seen.
    static std::unique_ptr<X11WindowSystem> open(const char* display_name,
                                                 std::string wayland_notice = {});

    ~X11WindowSystem() override;
    X11WindowSystem(const X11WindowSystem&) = delete;
    X11WindowSystem& operator=(const X11WindowSystem&) = delete;

    platform::WindowId first_top_level(platform::WindowId from) override;
    platform::WindowId next_top_level(platform::WindowId w) override;
    bool is_visible(platform::WindowId w) override;
    platform::WindowId owner(platform::WindowId w) override;
    std::string title(platform::WindowId w) override;
    platform::WindowId find_by_title(std::string_view title) override;
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override;
    const TitleIndex* title_index() override;
    bool post_close(platform::WindowId w) override;
    std::string notice() const override;

    // The X11 way to close a window that a compositor lists from XWayland:
    // the X window of this title, read afresh, gets post_close. nullopt when
    // no X window bears the title.
    [[nodiscard]] std::optional<bool> post_close_titled(std::string_view title);

    int event_fd() const override;
    void process_events() override;
    void flush() override;

    // How many replies this adapter has blocked on since it was opened: the
    // measure of its X round trips, for tests and benchmarks.
    [[nodiscard]] std::uint64_t replies_waited() const;

    struct State;

private:
    explicit X11WindowSystem(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

}  // namespace vorlix::adapters::x11
