// A private Xvfb on a free display, optionally with openbox managing it; both
// are stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "core/result.h"

namespace vorlix::testing {

class XServer {
public:
    [[nodiscard]] static Result<std::unique_ptr<XServer>> start(bool with_window_manager);
    ~XServer();
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

}  // namespace vorlix::testing
