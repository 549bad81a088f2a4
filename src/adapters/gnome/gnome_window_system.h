// The desktop's windows in a GNOME Shell session. Mutter lists its windows
// to no ordinary program, so our own extension (extension/) does: it puts
// them on the session bus and signals every window added, removed or
// retitled. This adapter keeps them in a table fed by those signals, so a
// look-up by title never waits for the shell.
//
// sd-bus rather than QtDBus: its connection is one descriptor read when it
// is readable, like every other window system here, and the adapter stays
// free of the toolkit.
//
// X windows (Vorlix's own among them) are named by their X ids and closed
// through X11: the shell's close would kill an X client that does not take
// WM_DELETE_WINDOW. Native windows get ids with the top bit set. While the
// extension does not answer (not installed, turned off, or the shell
// restarting), X11 alone answers, and in a Wayland session the notice says
// how to turn the extension on.
//
// Walk order: topmost first as the shell stacked them when the list was
// read, then windows opened since, the newest first. The interface has no
// owners, so dialogs are listed too. Every listed window counts as visible,
// minimised ones included.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/window_system.h"

namespace vorlix::adapters::gnome {

// The extension, as `gnome-extensions enable` names it.
inline constexpr const char* kExtensionUuid = VORLIX_GNOME_UUID;

class GnomeWindowSystem final : public platform::WatchedWindowSystem {
public:
    // Connects to the session bus at `address` (nullptr: the user's own).
    // An error, with the reason, when there is no bus or no GNOME Shell on
    // it. `x11` (the caller's, which reads its own events) sees and closes
    // the X windows; it may see none, or be nullptr.
    static Result<std::unique_ptr<GnomeWindowSystem>> open(const char* address,
                                                           platform::WatchedWindowSystem* x11);

    ~GnomeWindowSystem() override;
    GnomeWindowSystem(const GnomeWindowSystem&) = delete;
    GnomeWindowSystem& operator=(const GnomeWindowSystem&) = delete;

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

    int event_fd() const override;
    void process_events() override;
    void flush() override;  // X11's closes

    // Calls to the bus and the shell since the connection was opened, closes
    // aside: the measure that look-ups cost none, for tests and benchmarks.
    [[nodiscard]] std::uint64_t round_trips() const;

    struct State;

private:
    explicit GnomeWindowSystem(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

}  // namespace vorlix::adapters::gnome
