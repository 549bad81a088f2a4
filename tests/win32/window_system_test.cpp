#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "adapters/win32/win32_window_system.h"
#include "test_window.h"

namespace vorlix::platform::win32 {
namespace {

using test::TestWindow;

std::vector<HWND> walk(Win32WindowSystem& ws, WindowId from) {
    std::vector<HWND> order;
    for (WindowId w = ws.first_top_level(from); w != 0; w = ws.next_top_level(w)) {
        order.push_back(to_hwnd(w));
    }
    return order;
}

TEST(Win32WindowSystem, WalksTopmostFirstWithVisibilityOwnerAndTitle) {
    TestWindow bottom(L"Bottom window");
    TestWindow hidden(L"Hidden window", false);
    TestWindow owned(L"Owned dialog", true, bottom.hwnd());
    TestWindow top(L"Top window");
    bottom.raise();
    top.raise();
    Win32WindowSystem ws;
    const auto order = walk(ws, to_id(bottom.hwnd()));
    const auto at = [&](HWND h) {
        return std::find(order.begin(), order.end(), h) - order.begin();
    };
    EXPECT_LT(at(top.hwnd()), at(bottom.hwnd()));
    EXPECT_LT(at(bottom.hwnd()), std::ssize(order));
    EXPECT_LT(at(hidden.hwnd()), std::ssize(order)) << "hidden windows are walked too";
    EXPECT_EQ(walk(ws, 0), order);
    EXPECT_TRUE(ws.is_visible(to_id(top.hwnd())));
    EXPECT_FALSE(ws.is_visible(to_id(hidden.hwnd())));
    EXPECT_EQ(ws.owner(to_id(owned.hwnd())), to_id(bottom.hwnd()));
    EXPECT_EQ(ws.owner(to_id(top.hwnd())), 0u);

    auto gone = std::make_unique<TestWindow>(L"Short-lived");
    const WindowId id = to_id(gone->hwnd());
    gone.reset();
    EXPECT_FALSE(ws.is_visible(id));
    EXPECT_EQ(ws.next_top_level(id), 0u) << "a gone window ends the walk quietly";
    EXPECT_EQ(ws.title(id), "");
}

TEST(Win32WindowSystem, ReadsTitlesWithEveryCharacterUpToTheFirstNul) {
    TestWindow cyrillic(L"\x041F\x0440\x0438\x0432\x0435\x0442 \x2013 \x041C\x0438\x0440");
    TestWindow marks(
        L"A\x200B"
        L"B \x2014 C");
    TestWindow liar(L"ignored");
    // Announces more than it copies, and copies a NUL with text behind it.
    liar.answer_text(std::wstring(L"Short\0tail", 10), 40);
    Win32WindowSystem ws;
    EXPECT_EQ(ws.title(to_id(cyrillic.hwnd())),
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 - \xD0\x9C\xD0\xB8\xD1\x80");
    EXPECT_EQ(ws.title(to_id(marks.hwnd())), "AB - C");
    EXPECT_EQ(ws.title(to_id(liar.hwnd())), "Short");
}

TEST(Win32WindowSystem, FindsTheTopmostWholeTitleLikeFindWindowReadByTheTitleRule) {
    TestWindow hidden(L"win a prize - microsoft internet explorer", false);
    TestWindow cyrillic(L"\x043F\x0440\x0438\x0432\x0435\x0442 - Netscape");
    TestWindow sale(L"Sale - Today - Netscape");
    TestWindow lower(L"Same - X");
    TestWindow upper(L"SAME - x");
    Win32WindowSystem ws;
    for (TestWindow* top : {&lower, &upper}) {
        top->raise();
        (void)ws.first_top_level(0);
        EXPECT_EQ(ws.find_by_title("same - x"), to_id(top->hwnd()));
        EXPECT_EQ(ws.find_by_title("same - x"), to_id(FindWindowW(nullptr, L"same - x")));
    }
    EXPECT_EQ(ws.find_by_title("Win a prize - Microsoft Internet Explorer"), to_id(hidden.hwnd()));
    EXPECT_EQ(ws.find_by_title("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 - Netscape"),
              to_id(cyrillic.hwnd()));
    EXPECT_EQ(ws.find_by_title("Win a prize"), 0u) << "the whole title must match";
    // Typed with an en dash between blanks, or holding a zero-width space.
    EXPECT_EQ(ws.find_by_title("Sale \xE2\x80\x93 Today - Netscape"), to_id(sale.hwnd()));
    EXPECT_EQ(ws.find_by_title("Sa\xE2\x80\x8Ble - Today - Netscape"), to_id(sale.hwnd()));
}

TEST(Win32WindowSystem, TheTableFollowsWindowsMadeRenamedAndClosedAfterTheWalk) {
    auto closing = std::make_unique<TestWindow>(L"Popup - X");
    TestWindow behind(L"popup - x");
    behind.raise();
    closing->raise();
    Win32WindowSystem ws;
    (void)ws.first_top_level(0);
    closing.reset();
    EXPECT_EQ(ws.find_by_title("Popup - X"), to_id(behind.hwnd()));
    SetWindowTextW(behind.hwnd(), L"Something else");
    EXPECT_EQ(ws.find_by_title("Popup - X"), 0u) << "every hit is checked";

    // Made after the walk; then renamed, as Windows announces a new title.
    TestWindow late(L"Late - X");
    test::pump_messages();  // the toolkit's yield between look-ups
    EXPECT_EQ(ws.find_by_title("late - x"), to_id(late.hwnd()));
    SetWindowTextW(late.hwnd(), L"Renamed - X");
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, late.hwnd(), OBJID_WINDOW, CHILDID_SELF);
    test::pump_messages();
    EXPECT_EQ(ws.find_by_title("renamed - x"), to_id(late.hwnd()));
    // Made untitled and titled later, which Wine does not announce.
    TestWindow untitled(L"");
    test::pump_messages();
    SetWindowTextW(untitled.hwnd(), L"Titled later - X");
    Sleep(2);
    EXPECT_EQ(ws.find_by_title("titled later - x"), to_id(untitled.hwnd()));
}

TEST(Win32WindowSystem, PostsCloseWithoutWaitingOrDestroying) {
    TestWindow popup(L"Close me - X");
    Win32WindowSystem ws;
    ws.post_close(to_id(popup.hwnd()));
    EXPECT_EQ(popup.close_requests(), 0) << "posted, not sent";
    test::pump_messages();
    EXPECT_EQ(popup.close_requests(), 1);
    EXPECT_TRUE(IsWindow(popup.hwnd()));
}

}  // namespace
}  // namespace vorlix::platform::win32
