// Vorlix.exe as Windows shows it to accessibility clients (oleacc's objects
// for its controls), and its commands reached and pressed by the keyboard.
#include <gtest/gtest.h>
#include <oleacc.h>
#include <process.h>
#include <windows.h>

#include "adapters/win32/win32_form.h"
#include "adapters/win32/win32_text.h"
#include "support/support.h"

namespace vorlix::platform::win32 {
namespace {

using namespace layout;

std::wstring accessible_name(HWND control) {
    IAccessible* acc = nullptr;
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&acc)))) {
        acc->get_accName(self, &name);
        acc->Release();
    }
    std::wstring got = name != nullptr ? name : L"(none)";
    SysFreeString(name);
    return got;
}

HWND focus_in(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// A key pressed and released where the focus is.
void key(HWND window, WPARAM vk) {
    PostMessageW(focus_in(window), WM_KEYDOWN, vk, 1);
    PostMessageW(focus_in(window), WM_KEYUP, vk, 0xC0000001);
}

TEST(Win32Accessibility, NamesAndKeyboard) {
    // Started where it was built: it finds no data files there and writes none.
    const char* exe = std::getenv("VORLIX_EXE");
    const auto proc = reinterpret_cast<HANDLE>(_spawnl(_P_NOWAIT, exe, exe, nullptr));
    ASSERT_NE(proc, INVALID_HANDLE_VALUE);
    HWND main = nullptr;
    ASSERT_TRUE(test::wait_until([&] {
        main = FindWindowW(kMainClass, nullptr);
        return main != nullptr && IsWindowVisible(FindWindowW(kPanelClass, nullptr));
    }));
    for (MainControl c :
         {Command_ADD, Command_REMOVE, Command_Timer, Command_TimerS, Shape_Status, List_Title}) {
        EXPECT_EQ(accessible_name(GetDlgItem(main, kMainFirstId + c)), widen(kMain[c].spoken));
    }
    // Tab visits the commands in order; Space suspends, Return resumes.
    SetForegroundWindow(main);
    const HWND field = GetDlgItem(main, kMainFirstId + Text_Title);
    ASSERT_TRUE(test::wait_until([&] { return focus_in(main) == field; }));
    for (std::size_t i = 1; i < kMainTabOrder.size(); ++i) {
        if (kMainTabOrder[i] == Command_TimerS) continue;  // hidden while scanning
        key(main, VK_TAB);
        const HWND next = GetDlgItem(main, kMainFirstId + kMainTabOrder[i]);
        EXPECT_TRUE(test::wait_until([&] { return focus_in(main) == next; })) << i;
        if (kMainTabOrder[i] != Command_Timer) continue;
        const HWND resume = GetDlgItem(main, kMainFirstId + Command_TimerS);
        key(main, VK_SPACE);
        EXPECT_TRUE(test::wait_until([&] { return focus_in(main) == resume; }));
        key(main, VK_RETURN);
        EXPECT_TRUE(test::wait_until([&] { return focus_in(main) == next; }));
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(proc, 10000), WAIT_OBJECT_0);
    CloseHandle(proc);
}

}  // namespace
}  // namespace vorlix::platform::win32
