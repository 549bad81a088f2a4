// Real top-level windows for the tests: a class of our own that records the
// close requests it receives and can answer WM_GETTEXT with a text of its
// choosing.
#pragma once

#include <windows.h>

#include <string>

namespace vorlix::test {

class TestWindow {
public:
    // A top-level window titled `title` (wide), hidden unless `visible`.
    explicit TestWindow(const std::wstring& title, bool visible = true, HWND owner = nullptr);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    int close_requests() const { return close_requests_; }
    // From now on WM_GETTEXTLENGTH answers `claimed` and WM_GETTEXT copies
    // `text`, NULs included, as far as the buffer allows.
    void answer_text(std::wstring text, int claimed);
    // Puts the window on top of every other non-topmost window.
    void raise();

private:
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    int close_requests_ = 0;
    bool answering_ = false;
    std::wstring text_;
    int claimed_ = 0;
};

// Delivers the messages pending for this thread.
void pump_messages();

}  // namespace vorlix::test
