// A private Xvfb on a free display, optionally with openbox managing it; both
// are stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "base/result.h"

namespace vorlix::testing {

class XServer {
public:
    [[nodiscard]] static Result<std::unique_ptr<XServer>> start(bool with_window_manager);
    ~XServer() { kill(); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }
    bool has_window_manager() const { return wm_ > 0; }

    // Stops the server now; clients see their connection break.
    void kill();

private:
    XServer() = default;
    pid_t xvfb_ = -1;
    pid_t wm_ = -1;
    std::string display_;
};

// Starts `argv[0]` (looked up on PATH) with `display` as DISPLAY (unless
// empty) and the "NAME=value" entries of `extra_env` set; its output goes
// nowhere and it dies with this process.
pid_t spawn_with_display(const char* const* argv, const std::string& display,
                         const std::vector<std::string>& extra_env = {});
// Stops a child we started (SIGTERM, then SIGKILL after 3 s) and reaps it.
void stop_child(pid_t pid);

}  // namespace vorlix::testing
