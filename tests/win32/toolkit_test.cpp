#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "adapters/win32/win32_text.h"
#include "adapters/win32/win32_toolkit.h"
#include "adapters/win32/win32_window_system.h"

namespace vorlix::platform::win32 {
namespace {

struct MainEvents final : MainWindowEvents {
    std::vector<std::string> calls;
    void Command_ADD_Click() override { calls.push_back("add"); }
    void Command_REMOVE_Click() override { calls.push_back("remove"); }
    void Text_Title_KeyDown(int key, int shift) override {
        calls.push_back("key " + std::to_string(key) + " " + std::to_string(shift));
    }
    void List_Title_Click() override { calls.push_back("list"); }
    void Command_Timer_Click() override { calls.push_back("active"); }
    void Command_TimerS_Click() override { calls.push_back("suspended"); }
    void Command_Window_Click() override { calls.push_back("window"); }
    void Form_Unload(int& cancel) override {
        calls.push_back("unload");
        cancel = 1;  // keeps the test process alive
    }
};

struct PanelEvents_ final : PanelEvents {
    std::vector<std::string> calls;
    std::unique_ptr<PanelView>* owner = nullptr;
    PanelView* view = nullptr;
    void List_Window_Click() override { calls.push_back("list"); }
    void Check_Autostart_Click() override {
        calls.push_back("autostart " + std::to_string(view ? view->autostart_value() : -1));
    }
    void Label_Site_Click() override { calls.push_back("site"); }
    void Form_Unload(int&) override {
        calls.push_back("unload");
        if (owner != nullptr) owner->reset();  // the panel goes away inside the call
    }
};

// The child controls of `parent`, by class, in creation order.
std::vector<HWND> children(HWND parent, const wchar_t* window_class) {
    struct Search {
        const wchar_t* cls;
        std::vector<HWND> found;
    } search{window_class, {}};
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            wchar_t name[64] = {};
            GetClassNameW(h, name, 64);
            if (lstrcmpiW(name, s.cls) == 0) s.found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND child_with_text(HWND parent, const wchar_t* text) {
    for (HWND h : children(parent, L"BUTTON")) {
        wchar_t buffer[128] = {};
        GetWindowTextW(h, buffer, 128);
        if (lstrcmpW(buffer, text) == 0) return h;
    }
    return nullptr;
}

// Client-relative bounds of a control, in twips.
RECT twips_bounds(const Resources& res, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {static_cast<LONG>(res.twips_x(r.left)), static_cast<LONG>(res.twips_y(r.top)),
            static_cast<LONG>(res.twips_x(r.right - r.left)),
            static_cast<LONG>(res.twips_y(r.bottom - r.top))};
}

std::vector<std::string> entries(HWND list) {
    std::vector<std::string> out;
    const auto n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        out.push_back(narrow(text));
    }
    return out;
}

void click(HWND control) {
    RECT r{};
    GetClientRect(control, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(control, WM_LBUTTONUP, 0, at);
}

TEST(Win32Toolkit, MainWindowHasItsControlsAtTheirTwipsBounds) {
    Win32Toolkit toolkit;
    MainEvents events;
    auto main = toolkit.create_main_window(events);
    const HWND window = FindWindowW(L"VorlixMain", nullptr);
    ASSERT_NE(window, nullptr);
    const Resources& res = toolkit.resources();

    RECT client{};
    GetClientRect(window, &client);
    EXPECT_NEAR(res.twips_x(client.right), 5970, 15);
    EXPECT_NEAR(res.twips_y(client.bottom), 4425, 15);
    EXPECT_EQ(res.twips_x(res.px_x(main->width())), main->width());

    const auto lists = children(window, L"LISTBOX");
    ASSERT_EQ(lists.size(), 1u);
    const RECT list = twips_bounds(res, lists[0]);
    EXPECT_NEAR(list.left, 120, 15);
    EXPECT_NEAR(list.top, 1080, 15);
    EXPECT_NEAR(list.right, 5775, 15);
    EXPECT_NEAR(list.bottom, 2400, 15);
    EXPECT_EQ(GetWindowLongW(lists[0], GWL_STYLE) & LBS_SORT, 0) << "the behaviour orders it";

    main->move(1500, 750);
    EXPECT_FLOAT_EQ(main->left(), 1500);
    EXPECT_FLOAT_EQ(main->top(), 750);
    main->set_caption("Vorlix v1.14 (build 47)");
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_STREQ(caption, L"Vorlix v1.14 (build 47)");
}

TEST(Win32Toolkit, ListBoxesShowTheBehavioursOrder) {
    Win32Toolkit toolkit;
    MainEvents events;
    auto main = toolkit.create_main_window(events);
    ListBoxView& list = main->title_list();
    const HWND box = children(FindWindowW(L"VorlixMain", nullptr), L"LISTBOX").at(0);

    list.insert(0, "[b]");
    list.insert(0, "[Z]");
    list.insert(1, "[\xD0\xB0]");
    EXPECT_EQ(entries(box), (std::vector<std::string>{"[Z]", "[\xD0\xB0]", "[b]"}));

    SendMessageW(box, LB_SETCURSEL, 1, 0);
    list.insert(0, "[a]");
    EXPECT_EQ(list.selected(), 2) << "the selection moves with its entry";
    list.remove(0);
    EXPECT_EQ(list.selected(), 1);
    list.remove(1);
    EXPECT_EQ(list.selected(), -1) << "removing the selected entry leaves none";
    list.clear();
    EXPECT_TRUE(entries(box).empty());
    EXPECT_TRUE(events.calls.empty()) << "the program's changes are no clicks";
}

TEST(Win32Toolkit, ControlsRaiseTheirEvents) {
    Win32Toolkit toolkit;
    MainEvents events;
    auto main = toolkit.create_main_window(events);
    main->show();
    const HWND window = FindWindowW(L"VorlixMain", nullptr);

    const HWND edit = children(window, L"EDIT").at(0);
    // Through the event loop, as typed: Return reaches the field, Tab moves
    // on to the title list.
    SetFocus(edit);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    toolkit.do_events();
    PostMessageW(edit, WM_KEYDOWN, VK_TAB, 0);
    toolkit.do_events();
    EXPECT_EQ(GetFocus(), children(window, L"LISTBOX").at(0));
    main->set_title_text("Win a prize");
    EXPECT_EQ(main->title_text(), "Win a prize");

    SendMessageW(child_with_text(window, L">>  <<"), BM_CLICK, 0, 0);
    main->set_window_button_caption("<<  >>");
    EXPECT_NE(child_with_text(window, L"<<  >>"), nullptr);

    // The pictures, in creation order: banner, Add, Remove, Suspended,
    // Active, lamp, status line.
    const auto statics = children(window, L"STATIC");
    ASSERT_EQ(statics.size(), 7u);
    click(statics[1]);
    click(statics[2]);
    click(statics[4]);
    main->set_active_picture_visible(false);
    main->set_suspended_picture_visible(true);
    EXPECT_FALSE(IsWindowVisible(statics[4]));
    EXPECT_TRUE(IsWindowVisible(statics[3]));
    click(statics[3]);

    PostMessageW(window, WM_CLOSE, 0, 0);
    toolkit.do_events();
    EXPECT_EQ(events.calls, (std::vector<std::string>{"key 13 0", "window", "add", "remove",
                                                      "active", "suspended", "unload"}));
}

TEST(Win32Toolkit, TheLampIsAFilledCircle) {
    Win32Toolkit toolkit;
    MainEvents events;
    auto main = toolkit.create_main_window(events);
    main->show();
    const HWND lamp = children(FindWindowW(L"VorlixMain", nullptr), L"STATIC").at(5);
    RECT r{};
    GetClientRect(lamp, &r);

    for (Colour colour : {Colour{0x0000FF}, Colour{0x00C000}, Colour{0x00EEDD}}) {
        main->set_lamp(colour);
        UpdateWindow(lamp);
        HDC dc = GetDC(lamp);
        const COLORREF centre = GetPixel(dc, r.right / 2, r.bottom / 2);
        const COLORREF corner = GetPixel(dc, 0, 0);
        ReleaseDC(lamp, dc);
        EXPECT_EQ(centre, colour);
        EXPECT_NE(corner, colour) << "round, not square";
    }
}

TEST(Win32Toolkit, PanelIsARedToolWindowWithoutTaskbarButton) {
    Win32Toolkit toolkit;
    PanelEvents_ events;
    auto panel = toolkit.create_panel(events);
    events.view = panel.get();
    const HWND window = FindWindowW(nullptr, L"Vorlix - Window List");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(panel->window_id(), to_id(window));
    EXPECT_FALSE(panel->visible());

    const LONG ex = GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_NE(ex & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(ex & WS_EX_APPWINDOW, 0);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX), 0);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_NEAR(toolkit.resources().twips_x(client.right), 5175, 15);
    EXPECT_NEAR(panel->height(), 3750, 15);

    panel->set_height(4000);
    EXPECT_NEAR(panel->height(), 4000, 15);
    panel->set_left(3000);
    panel->set_top(1500);
    EXPECT_FLOAT_EQ(panel->left(), 3000);
    EXPECT_FLOAT_EQ(panel->top(), 1500);
    panel->show();
    EXPECT_TRUE(panel->visible());
    UpdateWindow(window);
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 2, client.bottom - 2), RGB(255, 0, 0));
    ReleaseDC(window, dc);
    panel->hide();
    EXPECT_FALSE(panel->visible());
}

TEST(Win32Toolkit, CheckBoxesClickForTheUserAndForTheProgram) {
    Win32Toolkit toolkit;
    PanelEvents_ events;
    auto panel = toolkit.create_panel(events);
    events.view = panel.get();
    const HWND window = FindWindowW(nullptr, L"Vorlix - Window List");

    EXPECT_EQ(panel->Check_IWindows_value(), 1);
    EXPECT_EQ(panel->autostart_value(), 0);
    panel->set_autostart_value(1);
    panel->set_autostart_value(1);  // no change, no click
    SendMessageW(child_with_text(window, L"Autostart"), BM_CLICK, 0, 0);
    SendMessageW(child_with_text(window, L"Display only Internet Windows"), BM_CLICK, 0, 0);
    EXPECT_EQ(panel->Check_IWindows_value(), 0);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"autostart 1", "autostart 0"}));

    panel->set_site_caption("Visit our site: example");
    const auto statics = children(window, L"STATIC");
    ASSERT_EQ(statics.size(), 4u);  // line, notice, line, site
    click(statics[3]);
    EXPECT_EQ(events.calls.back(), "site");
}

TEST(Win32Toolkit, ClosingThePanelMayReleaseItsViewInsideTheEvent) {
    Win32Toolkit toolkit;
    PanelEvents_ events;
    std::unique_ptr<PanelView> panel = toolkit.create_panel(events);
    events.owner = &panel;
    panel->show();
    const HWND window = to_hwnd(panel->window_id());

    PostMessageW(window, WM_CLOSE, 0, 0);
    toolkit.do_events();
    EXPECT_EQ(events.calls, std::vector<std::string>{"unload"});
    EXPECT_EQ(panel, nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Win32Toolkit, TimersTickThroughTheEventLoopOnly) {
    Win32Toolkit toolkit;
    int ticks = 0;
    int silent = 0;
    auto timer = toolkit.create_timer([&] { ++ticks; });
    auto never = toolkit.create_timer([&] { ++silent; });
    timer->set_interval(30);
    EXPECT_FALSE(timer->enabled());
    never->set_interval(0);
    never->set_enabled(true);
    timer->set_enabled(true);
    Sleep(100);
    EXPECT_EQ(ticks, 0) << "not without the event loop";
    toolkit.do_events();
    EXPECT_EQ(ticks, 1);

    // A timer destroyed in its own tick never ticks again.
    std::unique_ptr<Timer> self_ending;
    int self_ticks = 0;
    self_ending = toolkit.create_timer([&] {
        ++self_ticks;
        self_ending.reset();
    });
    self_ending->set_interval(10);
    self_ending->set_enabled(true);
    timer->set_enabled(false);
    for (int i = 0; i < 10; ++i) {
        Sleep(20);
        toolkit.do_events();
    }
    EXPECT_EQ(self_ticks, 1);
    EXPECT_EQ(ticks, 1) << "disabled";
    EXPECT_EQ(silent, 0) << "interval 0";
}

TEST(Win32Toolkit, ApplicationFacts) {
    Win32Toolkit toolkit;
    const AppInfo app = toolkit.app_info();
    EXPECT_EQ(app.exe_name, "vorlix_win32_tests");
    EXPECT_EQ(app.separator, '\\');
    EXPECT_EQ(app.exe_suffix, ".exe");
    ASSERT_FALSE(app.path.empty());
    EXPECT_NE(app.path.back(), '\\');
    const std::string full = app.path + app.separator + app.exe_name + app.exe_suffix;
    EXPECT_NE(GetFileAttributesW(widen(full).c_str()), INVALID_FILE_ATTRIBUTES) << full;

    const ScreenSize screen = toolkit.screen_size();
    EXPECT_FLOAT_EQ(screen.width, toolkit.resources().twips_x(GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_GT(screen.height, 0);
}

TEST(Win32Toolkit, MessageBoxIsModalWithCaptionTextAndIcon) {
    Win32Toolkit toolkit;
    // Answers the box from a second thread once it is there.
    struct Seen {
        std::wstring text;
        bool icon = false;
    } seen;
    HANDLE helper = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto& s = *static_cast<Seen*>(p);
            for (int i = 0; i < 200; ++i) {
                if (HWND box = FindWindowW(L"#32770", L"Vorlix")) {
                    wchar_t text[64] = {};
                    GetDlgItemTextW(box, 0xFFFF, text, 64);
                    s.text = text;
                    for (HWND c = GetWindow(box, GW_CHILD); c != nullptr;
                         c = GetWindow(c, GW_HWNDNEXT)) {
                        const LONG style = GetWindowLongW(c, GWL_STYLE);
                        if ((style & SS_TYPEMASK) == SS_ICON &&
                            SendMessageW(c, STM_GETICON, 0, 0) != 0) {
                            s.icon = true;
                        }
                    }
                    PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return 0;
                }
                Sleep(25);
            }
            return 1;
        },
        &seen, 0, nullptr);
    toolkit.message_box("Insert a title!", "Vorlix", kMessageBoxExclamationOk);
    WaitForSingleObject(helper, 5000);
    CloseHandle(helper);
    EXPECT_EQ(seen.text, L"Insert a title!");
    EXPECT_TRUE(seen.icon);
}

}  // namespace
}  // namespace vorlix::platform::win32
