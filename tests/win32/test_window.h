// A real top-level window of a class of ours that counts the close requests
// it receives, without obeying them.
#pragma once

#include <windows.h>

#include <string>

namespace vorlix::test {

struct TestWindow {
    explicit TestWindow(const std::wstring& title, bool visible = true, HWND owner = nullptr) {
        const WNDCLASSW wc{0,       &TestWindow::proc, 0,       0,       GetModuleHandleW(nullptr),
                           nullptr, nullptr,           nullptr, nullptr, L"VorlixTestWindow"};
        RegisterClassW(&wc);  // fails harmlessly from the second window on
        hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200,
                               100, owner, nullptr, wc.hInstance, this);
        if (visible) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    ~TestWindow() { DestroyWindow(hwnd); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            const auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self == nullptr || msg != WM_CLOSE) return DefWindowProcW(h, msg, wp, lp);
        ++self->close_requests;
        return 0;
    }

    HWND hwnd = nullptr;
    int close_requests = 0;
};

// Delivers the messages pending for this thread.
inline void pump_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace vorlix::test
