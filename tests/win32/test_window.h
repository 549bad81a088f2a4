// A real top-level window of a class of ours that counts the close requests
// it receives, without obeying them.
#pragma once

#include <windows.h>

#include <string>

namespace vorlix::test {

struct TestWindow {
    explicit TestWindow(const std::wstring& title, bool visible = true, HWND owner = nullptr);
    ~TestWindow() { DestroyWindow(hwnd); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd = nullptr;
    int close_requests = 0;
};

// Delivers the messages pending for this thread.
void pump_messages();

}  // namespace vorlix::test
