#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adapters/win32/win32_form.h"
#include "adapters/win32/win32_text.h"
#include "adapters/win32/win32_toolkit.h"
#include "adapters/win32/win32_window_system.h"
#include "platform/form_layout.h"
#include "support/support.h"
#include "test_window.h"

namespace vorlix::adapters::win32 {
namespace {

using namespace platform::layout;
using test::TestWindow;

TEST(Win32WindowSystem, ReadsWindowsAndFindsTheTopmostWholeTitleWhileWindowsComeAndGo) {
    TestWindow hidden(L"win a prize - microsoft internet explorer", false);
    TestWindow sale(L"Sale - Today - Netscape"), owned(L"Owned", true, sale.hwnd);
    TestWindow odd(L"\x041F\x0440\x0438\x0432\x0435\x0442 \x2013 A\u200BB");
    TestWindow lower(L"Same - X"), upper(L"SAME - x");
    Win32WindowSystem ws;
    EXPECT_FALSE(ws.is_visible(to_id(hidden.hwnd)));
    EXPECT_TRUE(ws.is_visible(to_id(odd.hwnd)));
    EXPECT_EQ(ws.owner(to_id(owned.hwnd)), to_id(sale.hwnd));
    EXPECT_EQ(ws.title(to_id(odd.hwnd)), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 - AB")
        << "read by the title rule";
    for (const TestWindow* top : {&lower, &upper}) {
        SetWindowPos(top->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        (void)ws.first_top_level(0);
        EXPECT_EQ(ws.find_by_title("same - x"), to_id(top->hwnd));
    }
    EXPECT_EQ(ws.find_by_title("Win a prize - Microsoft Internet Explorer"), to_id(hidden.hwnd));
    // Typed as the title rule reads it: an en dash between blanks.
    EXPECT_EQ(ws.find_by_title("Sale \xE2\x80\x93 Today - Netscape"), to_id(sale.hwnd));

    // Titles read whole however long: a first read's room is 256 units.
    std::vector<std::unique_ptr<TestWindow>> long_ones;
    for (const std::size_t length : {254, 255, 256, 511, 3000}) {
        const std::string title(length - 4, 'l');
        long_ones.push_back(std::make_unique<TestWindow>(widen(title + " - X")));
        (void)ws.first_top_level(0);
        EXPECT_EQ(ws.title(to_id(long_ones.back()->hwnd)), title + " - X") << length;
        EXPECT_EQ(ws.find_by_title(title + " - x"), to_id(long_ones.back()->hwnd)) << length;
    }

    auto closing = std::make_unique<TestWindow>(L"Popup - X");
    TestWindow renamed(L"Renamed - X"), emptied(L"Emptied - X");
    (void)ws.first_top_level(0);
    closing.reset();
    SetWindowTextW(renamed.hwnd, L"Something else");
    SetWindowTextW(emptied.hwnd, L"");
    EXPECT_EQ(ws.find_by_title("Popup - X") + ws.find_by_title("Renamed - X") +
                  ws.find_by_title("Emptied - X"),
              0u)
        << "every hit is checked";
    EXPECT_EQ(ws.find_by_title("something else"), to_id(renamed.hwnd)) << "filed as it is now";
    // Made after the walk; renamed, announced as Windows announces it; made
    // untitled and titled later, which Wine does not announce.
    TestWindow late(L"Late - X"), untitled(L"");
    test::pump_messages();  // the toolkit's yield between look-ups
    EXPECT_EQ(ws.find_by_title("late - x"), to_id(late.hwnd));
    SetWindowTextW(late.hwnd, L"Late renamed - X");
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, late.hwnd, OBJID_WINDOW, CHILDID_SELF);
    SetWindowTextW(untitled.hwnd, L"Titled later - X");
    test::pump_messages();
    Sleep(2);
    EXPECT_EQ(ws.find_by_title("late renamed - x"), to_id(late.hwnd));
    EXPECT_EQ(ws.find_by_title("titled later - x"), to_id(untitled.hwnd));
    EXPECT_TRUE(ws.post_close(to_id(late.hwnd)));
    EXPECT_EQ(late.close_requests, 0) << "posted, not sent";
    test::pump_messages();
    EXPECT_EQ(late.close_requests, 1);
}

struct Events final : platform::MainWindowEvents, platform::PanelEvents {
    std::vector<std::string> calls;
    std::unique_ptr<platform::PanelView> panel;  // let go inside the panel's unload
    void Command_ADD_Click() override { calls.push_back("add"); }
    void Command_REMOVE_Click() override { calls.push_back("remove"); }
    void Text_Title_KeyDown(int key) override { calls.push_back(std::to_string(key)); }
    void List_Title_Click() override { calls.push_back("list"); }
    void Command_Timer_Click() override { calls.push_back("active"); }
    void Command_TimerS_Click() override { calls.push_back("suspended"); }
    void Command_Window_Click() override { calls.push_back("window"); }
    void Form_Unload(int&) override { panel.reset(); }
    void List_Window_Click() override { calls.push_back("list"); }
    void Check_Autostart_Click() override {
        calls.push_back(panel->autostart_value() ? "on" : "off");
    }
    void Label_Site_Click() override { calls.push_back("site"); }
};

TEST(Win32Toolkit, ControlsRaiseTheirEventsAndListsAreUnsorted) {
    Win32Toolkit toolkit;
    Events events;
    auto main = toolkit.create_main_window(events);
    events.panel = toolkit.create_panel(events);
    const HWND form = FindWindowW(L"VorlixMain", nullptr);
    const HWND tool = to_hwnd(events.panel->window_id());
    for (HWND list : {GetDlgItem(form, kMainFirstId + List_Title),
                      GetDlgItem(tool, kPanelFirstId + List_Window)})
        EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & LBS_SORT, 0) << "the behaviour orders it";
    main->show();
    // A burst of status texts shows its newest, also when it comes soon
    // after the last one shown.
    const HWND status = GetDlgItem(form, kMainFirstId + Label_Status);
    const auto shows = [&](const wchar_t* text) {
        return test::wait_until([&] { return window_text(status) == text; },
                                std::chrono::seconds(5), test::pump_messages);
    };
    main->set_status("first");
    main->set_status("second");
    EXPECT_TRUE(shows(L"second"));
    main->set_status("third");
    EXPECT_TRUE(shows(L"third"));
    const auto click = [](HWND parent, int id) {
        SendMessageW(GetDlgItem(parent, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(GetDlgItem(parent, id), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    };
    // Return reaches the title field through the loop's keyboard navigation.
    SetFocus(GetDlgItem(form, kMainFirstId + Text_Title));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    toolkit.do_events();
    SendMessageW(GetDlgItem(form, kMainFirstId + Command_Window), BM_CLICK, 0, 0);
    click(form, kMainFirstId + Command_ADD);
    events.panel->set_autostart_value(1);
    events.panel->set_autostart_value(1);  // no change, no click
    SendMessageW(GetDlgItem(tool, kPanelFirstId + Check_Autostart), BM_CLICK, 0, 0);
    click(tool, kPanelFirstId + Label_Site);
    PostMessageW(tool, WM_CLOSE, 0, 0);
    Sleep(2);
    toolkit.do_events();
    EXPECT_FALSE(IsWindow(tool)) << "the view let go inside its unload";
    EXPECT_EQ(events.calls, (std::vector<std::string>{"13", "window", "add", "on", "off", "site"}));
}

TEST(Win32Toolkit, TheMessageBoxWarnsATimerOfNoIntervalNeverTicksAndTheProgramIsNamedWhole) {
    Win32Toolkit toolkit;
    const platform::AppInfo app = toolkit.app_info();  // what the autostart value names
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(widen(app.path + app.separator + app.exe_name + app.exe_suffix), self);
    std::pair<std::wstring, bool> seen;  // the text, an icon shown
    // The box is modal: a second thread reads it and answers it.
    HANDLE reader = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto& [text, icon] = *static_cast<std::pair<std::wstring, bool>*>(p);
            HWND box = nullptr;
            for (int i = 0; i < 500 && box == nullptr; ++i, Sleep(10))
                box = FindWindowW(L"#32770", L"Vorlix");
            text.resize(64);
            text.resize(GetDlgItemTextW(box, 0xFFFF, text.data(), 64));
            for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
                icon |= (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                        SendMessageW(c, STM_GETICON, 0, 0) != 0;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        },
        &seen, 0, nullptr);
    toolkit.message_box("Insert a title!", "Vorlix", platform::kMessageBoxExclamationOk);
    WaitForSingleObject(reader, 5000);
    CloseHandle(reader);
    EXPECT_EQ(seen, std::pair(std::wstring(L"Insert a title!"), true));

    int ticks = 0;
    auto timer = toolkit.create_timer([&] { ++ticks; });
    timer->set_interval(0);
    timer->set_enabled(true);
    for (int i = 0; i < 20; ++i, Sleep(5)) toolkit.do_events();
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace vorlix::adapters::win32
