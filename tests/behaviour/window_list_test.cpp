// The panel: Update_Window_List (listing, filter, learning),
// showing and hiding, closing, docking, picking a title, the notice.
#include <gtest/gtest.h>

#include <tuple>

#include "program_fixture.h"
#include "windowlist/module_function.h"

namespace vorlix::test {
namespace {

class WindowList : public ::testing::Test, public ProgramFixture {
protected:
    void start_listing_all() {
        start();
        panel()->check_iwindows = 0;
        refresh();
    }
};

TEST_F(WindowList, ListsVisibleUnownedTitledWindowsButThePanelSorted) {
    const auto owner = windows.add("b");
    windows.windows.push_back({FakePanel::kId, "Vorlix - Window List"});
    windows.add("Hidden", false);
    windows.add("Dialog", true, owner);
    windows.add("");
    windows.add("A");
    start_listing_all();
    EXPECT_EQ(window_titles(), (Lines{"A", "b"}));
    panel()->list.selection = 1;
    refresh();  // nothing changed: a refill would flicker and lose the selection
    EXPECT_EQ(panel()->list.selection, 1);
}

TEST_F(WindowList, FilterKeepsTitlesWithADashAndABrowserName) {
    put_file("Vorlix_BrowserName.dat", std::string(kIe) + "\r\nOpera\r\n");
    for (const char* t : {"S - Microsoft Internet Explorer", kIe, "P - Opera", "Notes"})
        windows.add(t);
    start();
    for (const int ticked : {1, 2}) {  // greyed counts as ticked
        panel()->check_iwindows = ticked;
        refresh();
        EXPECT_EQ(window_titles(), (Lines{"P - Opera", "S - Microsoft Internet Explorer"}));
    }
}

TEST_F(WindowList, LearnsMozillaAndNetscapeNamesWritesTheFileOnceAndSaysWhenItCannot) {
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
    for (const char* t : {"Home - Netscape 6", "A - Mozilla - B", "Both - Mozilla x - Netscape y",
                          "News - Mozilla"}) {
        windows.add(t);
    }
    start();
    const Lines learned{"Mozilla", "Netscape 6", "Mozilla - B", "Mozilla x - Netscape y"};
    EXPECT_EQ(state().browser_names, learned);
    refresh();
    EXPECT_EQ(file("Vorlix_BrowserName.dat"), core::lines::join(learned));
    disk.fail(FsOp::create_new, "/", "Read-only file system");
    windows.add("Home - Netscape");
    refresh();
    EXPECT_EQ(state().browser_names.back(), "Netscape");
    EXPECT_EQ(main().status.rfind("  Could not save the browser names: ", 0), 0u);
    EXPECT_NE(main().status.find("Read-only file system"), std::string::npos);
}

TEST_F(WindowList, PickStripsEveryBrowserSuffix) {
    put_file("Vorlix_BrowserName.dat", std::string(kIe) + "\r\nMozilla\r\n");
    windows.add("Win a prize - Microsoft Internet Explorer");
    windows.add("Notes - Mozilla - Microsoft Internet Explorer");
    windows.add("Editor");
    start_listing_all();
    for (const auto& [pos, title] : {std::pair{2, "Win a prize"}, {1, "Notes"}, {0, "Editor"}}) {
        panel()->list.selection = pos;
        panel()->events.List_Window_Click();
        EXPECT_EQ(main().text, title);
    }
    EXPECT_TRUE(titles().empty());
}

TEST_F(WindowList, TheButtonHidesAndShowsTheSamePanelRefreshingIt) {
    start();
    FakePanel* p = panel();
    click_window_button();
    EXPECT_EQ(std::tuple(p->shown, main().panel_shown, Timer_PosWindow()->enabled()),
              std::tuple(false, false, false));
    windows.add("New - Microsoft Internet Explorer");
    click_window_button();
    EXPECT_EQ(panel(), p);
    EXPECT_EQ(std::tuple(p->shown, main().panel_shown, Timer_PosWindow()->enabled()),
              std::tuple(true, true, true));
    EXPECT_EQ(window_titles(), Lines{"New - Microsoft Internet Explorer"});
}

TEST_F(WindowList, ClosingStopsDockingATickMakesAHiddenFreshPanelAndTheButtonShowsItFull) {
    windows.add("W - Microsoft Internet Explorer");
    start();
    panel()->check_iwindows = 0;
    close_panel();
    EXPECT_EQ(std::tuple(panel(), main().panel_shown, Timer_PosWindow()),
              std::tuple(nullptr, false, nullptr));
    ASSERT_TRUE(tick());
    ASSERT_NE(panel(), nullptr);
    EXPECT_FALSE(panel()->shown || Timer_PosWindow()->enabled());
    click_window_button();
    EXPECT_TRUE(panel()->shown);
    EXPECT_EQ(panel()->check_iwindows, 1);
    EXPECT_EQ(window_titles(), Lines{"W - Microsoft Internet Explorer"});
    EXPECT_TRUE(Timer_PosWindow()->enabled());
}

TEST_F(WindowList, DockingFollowsVerticalMovesOnly) {
    start();
    ASSERT_TRUE(Timer_PosWindow()->fire());
    const float left = panel()->x;
    main().x += 200;
    Timer_PosWindow()->fire();
    EXPECT_EQ(panel()->x, left);
    main().y += 0.5f;
    Timer_PosWindow()->fire();
    EXPECT_EQ(panel()->x, main().x + main().width() + 30);
    EXPECT_EQ(panel()->y, main().y);
}

// The notice follows the window system's, which changes when, for one, the
// display is lost while the program runs.
TEST_F(WindowList, TheNoticeFollowsTheWindowSystems) {
    start();
    EXPECT_EQ(panel()->notice, windowlist::kOwnNotice);
    windows.notice_text = "No windows: lost the X display";
    refresh();
    EXPECT_EQ(panel()->notice, windows.notice_text);
}

}  // namespace
}  // namespace vorlix::test
