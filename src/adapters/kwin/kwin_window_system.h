// The desktop's windows on KDE Plasma's Wayland session, through KWin's
// window list (org_kde_plasma_window_management). KWin lists native and
// XWayland windows alike; their titles, parents, processes and its stacking
// order live in a table that the protocol's events keep current, so a
// look-up by title is a hash look-up and never waits for KWin.
//
// Walk order: KWin's stacking order, topmost first; a window announced since
// KWin last sent that order comes before all of them, the newest first (it
// has just been mapped, and KWin maps on top). A look-up that several
// windows answer takes the first of them in that order. Every window KWin
// lists counts as visible: it lists mapped ones only, and a minimised one is
// still open as a user sees it. The owner is KWin's parent window.
//
// KWin offers the list only to programs whose installed desktop file asks
// for it (X-KDE-Wayland-Interfaces); open() says so when it is refused.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/window_system.h"

namespace vorlix::adapters::kwin {

// The notice when KWin keeps its list from this program: what the user can do.
inline constexpr const char* kRefused = "Native KDE windows need the installed Vorlix";

// Closes an X window the X11 way, by its title: nullopt when no X window
// bears it, else whether a close went out. KWin, asked to close an X window
// that does not take WM_DELETE_WINDOW, kills its client.
using CloseXWindow = std::function<std::optional<bool>(std::string_view title)>;

class KWinWindowSystem final : public platform::WatchedWindowSystem {
public:
    // Connects to the named display (nullptr: $WAYLAND_DISPLAY) and binds
    // KWin's window list. An error, with the reason, when there is no
    // compositor or it offers no list; EACCES with kRefused when it is KWin
    // and keeps the list from this executable. The walk leaves out the
    // windows of process `own_pid`.
    static Result<std::unique_ptr<KWinWindowSystem>> open(const char* display_name,
                                                          CloseXWindow close_x,
                                                          std::uint32_t own_pid);

    ~KWinWindowSystem() override;
    KWinWindowSystem(const KWinWindowSystem&) = delete;
    KWinWindowSystem& operator=(const KWinWindowSystem&) = delete;

    // `from` is not needed: our own windows are told by their process.
    platform::WindowId first_top_level(platform::WindowId from) override;
    platform::WindowId next_top_level(platform::WindowId w) override;
    bool is_visible(platform::WindowId w) override;
    platform::WindowId owner(platform::WindowId w) override;
    std::string title(platform::WindowId w) override;
    platform::WindowId find_by_title(std::string_view title) override;
    std::optional<platform::WindowId> find_by_keys(const TitleKey& head,
                                                   const TitleKey& tail) override;
    const TitleIndex* title_index() override;
    // KWin does not say which windows are X windows: any that an X
    // window's title matches goes to `close_x`, the others get KWin's close.
    bool post_close(platform::WindowId w) override;
    std::string notice() const override;

    int event_fd() const override;
    void process_events() override;

    // Round trips to KWin since the connection was opened: the measure that
    // look-ups cost none, for tests and benchmarks.
    [[nodiscard]] std::uint64_t round_trips() const;

    struct State;

private:
    explicit KWinWindowSystem(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

}  // namespace vorlix::adapters::kwin
