#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "adapters/win32/resource.h"
#include "adapters/win32/win32_accessible.h"
#include "adapters/win32/win32_form.h"
#include "adapters/win32/win32_handle.h"
#include "adapters/win32/win32_text.h"
#include "support/support.h"
#include "test_window.h"

namespace vorlix::adapters::win32 {
namespace {

using namespace std::chrono_literals;
using namespace platform::layout;
constexpr auto pump = test::pump_messages;

// What an accessibility client hears of a control.
struct Heard {
    std::wstring name, description;
    long role = 0;
};
Heard hear(HWND control) {
    Heard heard;
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&acc))))
        return heard;
    VARIANT self{}, role{};
    self.vt = VT_I4;  // CHILDID_SELF
    for (auto [ask, into] : {std::pair{&IAccessible::get_accName, &heard.name},
                             std::pair{&IAccessible::get_accDescription, &heard.description}}) {
        BSTR text = nullptr;
        if ((acc->*ask)(self, &text) == S_OK && text != nullptr) *into = text;
        SysFreeString(text);
    }
    if (acc->get_accRole(self, &role) == S_OK && role.vt == VT_I4) heard.role = role.lVal;
    acc->Release();
    return heard;
}

// The events Vorlix raises for its controls, as a screen reader hooks them.
std::vector<std::pair<HWND, DWORD>>& events_heard() {
    static std::vector<std::pair<HWND, DWORD>> heard;
    return heard;
}
void CALLBACK on_event(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_CLIENT) events_heard().emplace_back(h, event);
}

HWND focus_in(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Whether each picture shown on the main window has at its corner what the
// window's background picture has there, not a colour of its own.
bool corners_show_background(HWND main) {
    const UniqueHandle<HGDIOBJ, DeleteObject, 0> background(
        LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_VORLIX_BACKGROUND)));
    const UniqueHandle<HDC, DeleteDC, 0> back(CreateCompatibleDC(nullptr));
    SelectObject(back.get(), background.get());
    const HDC window = GetDC(main);
    bool all = true;
    for (MainControl c : {Command_ADD, Command_REMOVE, Command_TimerS, Command_Timer}) {
        const HWND picture = GetDlgItem(main, kMainFirstId + c);
        POINT at{0, 0};
        MapWindowPoints(picture, main, &at, 1);
        all &= !IsWindowVisible(picture) ||
               GetPixel(window, at.x, at.y) == GetPixel(back.get(), at.x, at.y);
    }
    ReleaseDC(main, window);
    return all;
}

// Vorlix.exe in a folder whose name holds a blank, started from another
// folder: it closes the blacklisted pop-up, keeps the window that only
// shares its title, tells accessibility clients every control's name, the
// lamp's state and, by alerts, the news (the status line's, an added title,
// the panel's going and coming), is worked by the keyboard alone,
// and ends when its window closes. (The Autostart box is the toolkit test's
// click, and the stored path the behaviour's and the registry's.)
TEST(Win32Vorlix, ClosesTheBlacklistedPopUpAndIsHeardAndWorkedByKeyboard) {
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
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_ALERT, kLiveRegionChanged, nullptr,
                                               &on_event, 0, 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               temp.path().c_str(), &si, &pi));
    EXPECT_TRUE(test::wait_until([&] { return popup.close_requests > 0; }, 20s, pump));
    // Two more scan ticks: the pop-up stays open and is asked again each time.
    EXPECT_TRUE(test::wait_until([&] { return popup.close_requests >= 3; }, 20s, pump));
    EXPECT_EQ(bare.close_requests, 0);
    DestroyWindow(popup.hwnd);  // no kill from now on: the news below are the test's

    const HWND main = FindWindowW(kMainClass, nullptr);
    const auto control = [&](int c) { return GetDlgItem(main, kMainFirstId + c); };
    const auto heard_event = [&](int c, DWORD event) {
        return test::wait_until(
            [&] {
                return std::count(events_heard().begin(), events_heard().end(),
                                  std::pair{control(c), event}) > 0;
            },
            5s, pump);
    };
    EXPECT_TRUE(test::wait_until([&] { return corners_show_background(main); }, 5s, pump));
    // The kill is news that the status bar and the announcer (the control after
    // the table's, whose alerts say its name) tell.
    const int news = kMainControls;
    const auto told = [&](const wchar_t* words) {
        return test::wait_until([&] { return hear(control(news)).name == words; }, 5s, pump);
    };
    EXPECT_TRUE(heard_event(Label_Status, kLiveRegionChanged) &&
                heard_event(news, EVENT_SYSTEM_ALERT));
    for (int c : {int{Label_Status}, news})
        EXPECT_EQ(hear(control(c)).name.rfind(L"  Killed ", 0), 0u) << c;
    EXPECT_EQ(hear(control(news)).role, ROLE_SYSTEM_ALERT);
    EXPECT_EQ(hear(control(Label_Status)).role, ROLE_SYSTEM_STATUSBAR);
    for (int c = 0; c < Label_Status; ++c)  // the status line is named by its text
        EXPECT_EQ(hear(control(c)).name, widen(kMain[c].spoken)) << c;
    EXPECT_EQ(hear(control(Shape_Status)).role, ROLE_SYSTEM_GRAPHIC);
    HWND panel = FindWindowW(nullptr, L"Vorlix - Window List");
    EXPECT_EQ(hear(GetDlgItem(panel, kPanelFirstId + List_Window)).name, L"Open windows");
    EXPECT_EQ(hear(GetDlgItem(panel, kPanelFirstId + Label_Site)).role, ROLE_SYSTEM_LINK);
    // Tab visits the commands in order; Space suspends, Return resumes and
    // hides or shows the panel, and the names and the lamp follow.
    const auto press = [&](WPARAM vk) {
        PostMessageW(focus_in(main), WM_KEYDOWN, vk, 1);
        PostMessageW(focus_in(main), WM_KEYUP, vk, 0xC0000001);
    };
    const auto focus_goes = [&](WPARAM vk, MainControl to) {
        press(vk);
        return test::wait_until([&] { return focus_in(main) == control(to); });
    };
    const auto lamp_says = [&](const wchar_t* a, const wchar_t* b) {
        return test::wait_until([&] {
            const std::wstring state = hear(control(Shape_Status)).description;
            return state == a || state == b;
        });
    };
    SetForegroundWindow(main);
    ASSERT_TRUE(test::wait_until([&] { return focus_in(main) == control(Text_Title); }));
    SetWindowTextW(control(Text_Title), L"Kbd");
    press(VK_RETURN);
    EXPECT_TRUE(told(L"Added Kbd"));
    for (MainControl c : kMainTabOrder) {
        if (c == Text_Title || c == Command_TimerS) continue;  // the start; hidden while scanning
        EXPECT_TRUE(focus_goes(VK_TAB, c)) << c;
        if (c != Command_Timer) continue;
        EXPECT_TRUE(focus_goes(VK_SPACE, Command_TimerS) && lamp_says(L"suspended", L"suspended"));
        EXPECT_TRUE(heard_event(Shape_Status, EVENT_OBJECT_DESCRIPTIONCHANGE));
        // The Suspended picture's corners too.
        EXPECT_TRUE(test::wait_until([&] { return corners_show_background(main); }, 5s, pump));
        EXPECT_TRUE(focus_goes(VK_RETURN, c) && lamp_says(L"scanning", L"waiting"));
    }
    for (const wchar_t* name : {L"Show window list", L"Hide window list"}) {
        if (name[0] == L'S')
            press(VK_RETURN);  // the focus then goes to the title list
        else
            PostMessageW(control(Command_Window), BM_CLICK, 0, 0);
        EXPECT_TRUE(test::wait_until([&] { return hear(control(Command_Window)).name == name; }));
        EXPECT_EQ(IsWindowVisible(panel) != FALSE, name[0] == L'H');
        EXPECT_TRUE(told(name[0] == L'S' ? L"Window list hidden" : L"Window list shown"));
    }
    EXPECT_TRUE(heard_event(Command_Window, EVENT_OBJECT_NAMECHANGE));
    UnhookWinEvent(hook);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0) << "closing ends it";
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

}  // namespace
}  // namespace vorlix::adapters::win32
