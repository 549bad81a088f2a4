// Scripted top-level windows in stacking order, topmost first. Tests may
// add, remove, retitle and restack them at any time, also from inside the
// program's yields; every look-up and close request is recorded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/window_system.h"

namespace vorlix::test {

struct FakeWindow {
    platform::WindowId id = 0;
    std::string title;
    bool visible = true;
    platform::WindowId owner = 0;
};

class FakeWindowSystem final : public platform::WindowSystem {
public:
    // Adds a window below all others (or at the top) and returns its id.
    platform::WindowId add(std::string title, bool visible = true, platform::WindowId owner = 0);
    platform::WindowId add_on_top(std::string title);
    // A window with a given id, e.g. the panel's own.
    void add_with_id(platform::WindowId id, std::string title);
    void remove(platform::WindowId id);
    void retitle(platform::WindowId id, std::string title);
    void raise(platform::WindowId id);
    // Closing a window on request (the default leaves it open: the close is
    // the window's owner's business and may come later).
    void set_close_on_request(bool close) { close_on_request_ = close; }
    void set_notice(std::string notice) { notice_ = std::move(notice); }
    const std::vector<FakeWindow>& windows() const { return windows_; }

    // What the program asked.
    const std::vector<std::string>& lookups() const { return lookups_; }
    const std::vector<platform::WindowId>& close_requests() const { return close_requests_; }
    int walks() const { return walks_; }
    // The `from` argument of every walk.
    const std::vector<platform::WindowId>& walk_origins() const { return walk_origins_; }
    void clear_records();

    // platform::WindowSystem
    platform::WindowId first_top_level(platform::WindowId from) override;
    platform::WindowId next_top_level(platform::WindowId w) override;
    bool is_visible(platform::WindowId w) override;
    platform::WindowId owner(platform::WindowId w) override;
    std::string title(platform::WindowId w) override;
    platform::WindowId find_by_title(std::string_view title) override;
    void post_close(platform::WindowId w) override;
    std::string notice() const override { return notice_; }

private:
    const FakeWindow* find(platform::WindowId id) const;
    long index_of(platform::WindowId id) const;

    std::vector<FakeWindow> windows_;
    platform::WindowId next_id_ = 0x100;
    bool close_on_request_ = false;
    std::string notice_;
    std::vector<std::string> lookups_;
    std::vector<platform::WindowId> close_requests_;
    std::vector<platform::WindowId> walk_origins_;
    int walks_ = 0;
};

}  // namespace vorlix::test
