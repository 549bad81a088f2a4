#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "adapters/win32/win32_form.h"
#include "adapters/win32/win32_text.h"
#include "autostart/autostart.h"
#include "support/support.h"
#include "test_window.h"

namespace vorlix::platform::win32 {
namespace {

using namespace std::chrono_literals;
using namespace layout;
constexpr auto pump = test::pump_messages;

std::wstring accessible_name(HWND control) {
    IAccessible* acc = nullptr;
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&acc))))
        acc->get_accName(self, &name), acc->Release();
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

// Vorlix.exe in a folder whose name holds a blank, started from another
// folder: it closes the blacklisted pop-up, keeps the window that only
// shares its title, shows accessibility clients the commands' names, is
// worked by the keyboard alone, and ticking Autostart stores its quoted path.
TEST(Win32Vorlix, ClosesTheBlacklistedPopUpAndStoresItsQuotedPathForAutostart) {
    const char* exe = std::getenv("VORLIX_EXE");  // a Unix path: Wine's Z: drive is current
    ASSERT_NE(exe, nullptr);
    test::TempDir temp;
    const auto app = temp.path() / "Vorlix app";
    std::filesystem::create_directory(app);
    std::filesystem::copy_file(exe, app / "Vorlix.exe");
    ASSERT_TRUE(test::write_file(app / "Vorlix.cfg", "Scan: 500\r\n"));
    ASSERT_TRUE(test::write_file(app / "Vorlix.dat", "Win a prize\r\n"));
    test::TestWindow popup(L"Win a prize - Microsoft Internet Explorer"), bare(L"Win a prize");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + (app / "Vorlix.exe").wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               temp.path().c_str(), &si, &pi));
    EXPECT_TRUE(test::wait_until([&] { return popup.close_requests > 0; }, 20s, pump));
    test::wait_until([] { return false; }, 1200ms, pump);  // two more scan ticks
    EXPECT_EQ(bare.close_requests, 0);

    const HWND main = FindWindowW(kMainClass, nullptr);
    for (MainControl c :
         {Command_ADD, Command_REMOVE, Command_Timer, Command_TimerS, Shape_Status, List_Title})
        EXPECT_EQ(accessible_name(GetDlgItem(main, kMainFirstId + c)), widen(kMain[c].spoken));
    // Tab visits the commands in order; Space suspends, Return resumes.
    const auto focus_goes = [&](WPARAM vk, MainControl to) {  // a key pressed and released
        PostMessageW(focus_in(main), WM_KEYDOWN, vk, 1);
        PostMessageW(focus_in(main), WM_KEYUP, vk, 0xC0000001);
        return test::wait_until(
            [&] { return focus_in(main) == GetDlgItem(main, kMainFirstId + to); });
    };
    SetForegroundWindow(main);
    ASSERT_TRUE(test::wait_until(
        [&] { return focus_in(main) == GetDlgItem(main, kMainFirstId + Text_Title); }));
    for (MainControl c : kMainTabOrder) {
        if (c == Text_Title || c == Command_TimerS) continue;  // the start; hidden while scanning
        EXPECT_TRUE(focus_goes(VK_TAB, c)) << c;
        EXPECT_TRUE(c != Command_Timer ||
                    (focus_goes(VK_SPACE, Command_TimerS) && focus_goes(VK_RETURN, c)));
    }
    HWND panel = FindWindowW(nullptr, L"Vorlix - Window List");
    PostMessageW(FindWindowExW(panel, nullptr, L"BUTTON", L"Autostart"), BM_CLICK, 0, 0);
    char value[512] = {};
    EXPECT_TRUE(test::wait_until(
        [&] {
            DWORD size = sizeof value - 1;
            RegGetValueA(HKEY_CURRENT_USER, autostart::kRunKey.data(), autostart::kValueName.data(),
                         RRF_RT_REG_SZ, nullptr, value, &size);
            return value == "\"" + (app / "Vorlix.exe").string() + "\"";
        },
        5s, pump))
        << value;
    RegDeleteKeyValueA(HKEY_CURRENT_USER, autostart::kRunKey.data(), autostart::kValueName.data());
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0) << "closing ends it";
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

}  // namespace
}  // namespace vorlix::platform::win32
