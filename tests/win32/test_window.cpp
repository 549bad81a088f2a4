#include "test_window.h"

#include <algorithm>
#include <cstring>

namespace vorlix::test {

namespace {

constexpr wchar_t kClass[] = L"VorlixTestWindow";

void register_once(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
}

}  // namespace

TestWindow::TestWindow(const std::wstring& title, bool visible, HWND owner) {
    register_once(&TestWindow::proc);
    hwnd_ = CreateWindowExW(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, owner,
                            nullptr, GetModuleHandleW(nullptr), this);
    if (visible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

TestWindow::~TestWindow() {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void TestWindow::answer_text(std::wstring text, int claimed) {
    text_ = std::move(text);
    claimed_ = claimed;
    answering_ = true;
}

void TestWindow::raise() {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK TestWindow::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(
            h, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self != nullptr) {
        if (msg == WM_CLOSE) {
            ++self->close_requests_;
            return 0;  // counted, not obeyed
        }
        if (self->answering_ && msg == WM_GETTEXTLENGTH) return self->claimed_;
        if (self->answering_ && msg == WM_GETTEXT && wp > 0) {
            const std::size_t n = std::min<std::size_t>(self->text_.size(), wp - 1);
            auto* out = reinterpret_cast<wchar_t*>(lp);
            std::memcpy(out, self->text_.data(), n * sizeof(wchar_t));
            out[n] = L'\0';
            return static_cast<LRESULT>(n);
        }
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void pump_messages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace vorlix::test
