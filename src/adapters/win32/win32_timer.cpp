#include "adapters/win32/win32_timer.h"

#include "adapters/win32/win32_form.h"

namespace vorlix::adapters::win32 {

Win32Timer::Win32Timer(HINSTANCE instance, std::function<void()> on_tick)
    : on_tick_(std::move(on_tick)) {
    window_ = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Timer::~Win32Timer() {
    stop();
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void Win32Timer::set_interval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    if (enabled_) start();
}

void Win32Timer::set_enabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        start();
    } else {
        stop();
    }
}

LRESULT CALLBACK Win32Timer::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Win32Timer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg != WM_TIMER || self == nullptr) return DefWindowProcW(h, msg, wp, lp);
    if (self->enabled_ && self->interval_ > 0) {
        // The handler may destroy this timer; it runs from a copy.
        const std::function<void()> tick = self->on_tick_;
        tick();
    }
    return 0;
}

void Win32Timer::start() {
    stop();
    if (interval_ > 0) SetTimer(window_, kId, static_cast<UINT>(interval_), nullptr);
}

void Win32Timer::stop() {
    KillTimer(window_, kId);
    MSG pending;
    while (PeekMessageW(&pending, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

}  // namespace vorlix::adapters::win32
