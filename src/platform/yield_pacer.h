#pragma once

#include <chrono>

namespace vorlix::platform {

// Long loops yield after every item, and a pass of the event loop costs far
// more than an item. Passes closer together than a millisecond are skipped:
// no event waits longer than that, and a scan of 100 000 look-ups stays fast.
// Even reading the clock costs more than a look-up, so the clock is read
// only every few calls: as many as pass in about a sixteenth of the period,
// learned from the last reads, and one again after a pause.
class YieldPacer {
public:
    bool due() {
        if (--countdown_ > 0) return false;
        const auto now = std::chrono::steady_clock::now();
        const auto since = now - read_;
        read_ = now;
        if (since > kEvery) {
            stride_ = 1;
        } else if (since < kEvery / 16) {
            stride_ = stride_ < kMostCalls ? stride_ * 2 : kMostCalls;
        } else if (since > kEvery / 8 && stride_ > 1) {
            stride_ /= 2;
        }
        countdown_ = stride_;
        if (now - last_ < kEvery) return false;
        last_ = now;
        return true;
    }

private:
    static constexpr std::chrono::microseconds kEvery{1000};
    static constexpr int kMostCalls = 16;  // between two reads
    std::chrono::steady_clock::time_point last_{};
    std::chrono::steady_clock::time_point read_{};
    int countdown_ = 0;
    int stride_ = 1;
};

}  // namespace vorlix::platform
