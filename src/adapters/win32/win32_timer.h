// A timer whose ticks arrive through the message loop. Each timer has a
// message-only window of its own, so that stopping one timer can drop its
// pending tick without touching the others'.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/toolkit.h"

namespace vorlix::adapters::win32 {

class Win32Timer final : public platform::Timer {
public:
    // The window class kTimerClass must be registered with `proc`.
    Win32Timer(HINSTANCE instance, std::function<void()> on_tick);
    ~Win32Timer() override;
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void set_interval(int ms) override;
    int interval() const override { return interval_; }
    void set_enabled(bool enabled) override;
    bool enabled() const override { return enabled_; }

    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

private:
    static constexpr UINT_PTR kId = 1;

    void start();
    void stop();

    std::function<void()> on_tick_;
    HWND window_ = nullptr;
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace vorlix::adapters::win32
