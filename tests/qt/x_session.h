// A private X server (Xvfb on the first free display) with, optionally,
// openbox as its window manager; both end with the session.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "core/result.h"

namespace vorlix::testing {

class XSession {
public:
    [[nodiscard]] static Result<std::unique_ptr<XSession>> start(bool with_window_manager);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // ":N", for DISPLAY.
    const std::string& display() const { return display_; }

private:
    XSession() = default;
    std::string display_;
    pid_t server_ = -1;
    pid_t window_manager_ = -1;
};

// Starts `argv[0]` (looked up on PATH) with `display` as DISPLAY and the
// "NAME=value" entries of `extra_env`; -1 on failure.
pid_t spawn_with_display(const char* const* argv, const std::string& display,
                         const std::vector<std::string>& extra_env = {});
// Stops a child we started and reaps it.
void stop_child(pid_t pid);

}  // namespace vorlix::testing
