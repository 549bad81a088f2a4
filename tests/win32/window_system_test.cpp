#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "adapters/win32/win32_window_system.h"
#include "test_window.h"

namespace vorlix::platform::win32 {
namespace {

using test::TestWindow;

// The walk as the window list makes it: topmost first, every window reached.
std::vector<HWND> walk(Win32WindowSystem& ws, WindowId from) {
    std::vector<HWND> order;
    for (WindowId w = ws.first_top_level(from); w != 0; w = ws.next_top_level(w)) {
        order.push_back(to_hwnd(w));
    }
    return order;
}

std::size_t position(const std::vector<HWND>& order, HWND h) {
    return static_cast<std::size_t>(std::find(order.begin(), order.end(), h) - order.begin());
}

TEST(Win32WindowSystem, WalksTopLevelWindowsTopmostFirstWithVisibilityOwnerAndTitle) {
    TestWindow bottom(L"Bottom window");
    TestWindow hidden(L"Hidden window", false);
    TestWindow owned(L"Owned dialog", true, bottom.hwnd());
    TestWindow top(L"Top window");
    bottom.raise();
    top.raise();

    Win32WindowSystem ws;
    const auto order = walk(ws, to_id(bottom.hwnd()));
    ASSERT_LT(position(order, top.hwnd()), order.size());
    ASSERT_LT(position(order, bottom.hwnd()), order.size());
    EXPECT_LT(position(order, top.hwnd()), position(order, bottom.hwnd()));
    EXPECT_LT(position(order, hidden.hwnd()), order.size()) << "hidden windows are walked too";
    // From no window at all the walk starts at the same place.
    EXPECT_EQ(walk(ws, 0), order);

    EXPECT_TRUE(ws.is_visible(to_id(top.hwnd())));
    EXPECT_FALSE(ws.is_visible(to_id(hidden.hwnd())));
    EXPECT_EQ(ws.owner(to_id(owned.hwnd())), to_id(bottom.hwnd()));
    EXPECT_EQ(ws.owner(to_id(top.hwnd())), 0u);
    EXPECT_EQ(ws.title(to_id(top.hwnd())), "Top window");
}

TEST(Win32WindowSystem, ReadsTitlesWithEveryCharacterAndCutsAtTheFirstNul) {
    TestWindow cyrillic(L"\x041F\x0440\x0438\x0432\x0435\x0442 \x2013 \x041C\x0438\x0440");
    TestWindow invisible_marks(
        L"A\x200B"
        L"B \x2014 C");
    TestWindow untitled(L"");
    TestWindow liar(L"ignored");
    // Announces more than it copies, and copies a NUL with text behind it.
    liar.answer_text(std::wstring(L"Short\0tail", 10), 40);

    Win32WindowSystem ws;
    EXPECT_EQ(ws.title(to_id(cyrillic.hwnd())),
              "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 - \xD0\x9C\xD0\xB8\xD1\x80");
    EXPECT_EQ(ws.title(to_id(invisible_marks.hwnd())), "AB - C");
    EXPECT_EQ(ws.title(to_id(untitled.hwnd())), "");
    EXPECT_EQ(ws.title(to_id(liar.hwnd())), "Short");
}

TEST(Win32WindowSystem, FindsByTitleIgnoringCaseLikeFindWindow) {
    TestWindow lower(L"win a prize - microsoft internet explorer");
    TestWindow hidden(L"Hidden Popup - Mozilla", false);
    TestWindow cyrillic(L"\x043F\x0440\x0438\x0432\x0435\x0442 - Netscape");

    Win32WindowSystem ws;
    (void)ws.first_top_level(0);
    const std::string candidate = "Win a prize - Microsoft Internet Explorer";
    EXPECT_EQ(ws.find_by_title(candidate), to_id(lower.hwnd()));
    EXPECT_EQ(ws.find_by_title(candidate),
              to_id(FindWindowW(nullptr, L"WIN A PRIZE - MICROSOFT INTERNET EXPLORER")));
    EXPECT_EQ(ws.find_by_title("hidden popup - MOZILLA"), to_id(hidden.hwnd()));
    EXPECT_EQ(ws.find_by_title("\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 - Netscape"),
              to_id(cyrillic.hwnd()));
    EXPECT_EQ(ws.find_by_title("Win a prize"), 0u) << "the whole title must match";
    EXPECT_EQ(ws.find_by_title("Win a prize - Microsoft Internet Explore"), 0u);
}

TEST(Win32WindowSystem, FindsTheTopmostOfEqualTitles) {
    TestWindow first(L"Same - X");
    TestWindow second(L"SAME - x");
    Win32WindowSystem ws;

    first.raise();
    (void)ws.first_top_level(0);
    EXPECT_EQ(ws.find_by_title("same - x"), to_id(first.hwnd()));

    second.raise();
    (void)ws.first_top_level(0);
    EXPECT_EQ(ws.find_by_title("same - x"), to_id(second.hwnd()));
    EXPECT_EQ(ws.find_by_title("same - x"), to_id(FindWindowW(nullptr, L"same - x")));
}

TEST(Win32WindowSystem, ALookUpAfterTheWalkNeverAnswersAGoneOrRenamedWindow) {
    auto closing = std::make_unique<TestWindow>(L"Popup - X");
    TestWindow renamed(L"Renamed - X");
    TestWindow behind(L"popup - x");
    behind.raise();
    closing->raise();

    Win32WindowSystem ws;
    (void)ws.first_top_level(0);
    const HWND gone = closing->hwnd();
    closing.reset();
    ASSERT_FALSE(IsWindow(gone));
    EXPECT_EQ(ws.find_by_title("Popup - X"), to_id(behind.hwnd()));

    SetWindowTextW(renamed.hwnd(), L"Something else");
    EXPECT_EQ(ws.find_by_title("Renamed - X"), 0u);
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

TEST(Win32WindowSystem, AGoneWindowEndsTheWalkQuietly) {
    auto window = std::make_unique<TestWindow>(L"Short-lived");
    const WindowId id = to_id(window->hwnd());
    window.reset();
    Win32WindowSystem ws;
    EXPECT_FALSE(ws.is_visible(id));
    EXPECT_EQ(ws.next_top_level(id), 0u);
    EXPECT_EQ(ws.owner(id), 0u);
    EXPECT_EQ(ws.title(id), "");
}

}  // namespace
}  // namespace vorlix::platform::win32
