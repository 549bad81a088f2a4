#pragma once

#include <chrono>

namespace vorlix::platform {

// Long loops yield after every item, and a pass of the event loop costs far
// more than an item. Passes closer together than a millisecond are skipped:
// no event waits longer than that, and a scan of 100 000 look-ups stays fast.
class YieldPacer {
public:
    bool due() {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < kEvery) return false;
        last_ = now;
        return true;
    }

private:
    static constexpr std::chrono::microseconds kEvery{1000};
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace vorlix::platform
