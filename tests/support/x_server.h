// A private Xvfb on a free display, optionally with openbox managing it; both
// are stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "base/result.h"

namespace vorlix::test {

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

// Starts `argv[0]` (looked up on PATH) with the "NAME=value" entries of `env`
// set, its output appended to `log`; as nobody when `unprivileged` and root.
pid_t spawn(std::vector<std::string> argv, std::vector<std::string> env = {},
            const std::string& log = "/dev/null", bool unprivileged = false);
// Stops a child we started (SIGTERM, then SIGKILL after 3 s) and reaps it.
void stop_child(pid_t pid);

}  // namespace vorlix::test
