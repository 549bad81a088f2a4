// The window-list panel: showing and hiding, closing, docking, picking a
// title and the site label.
#include "program_fixture.h"

namespace vorlix::test {
namespace {

using Panel = ProgramTest;

TEST_F(Panel, ButtonHidesAndShowsWithCaptionsTimerAndFocus) {
    start();
    FakePanel* p = panel();
    main().click_window_button();
    EXPECT_FALSE(p->visible());
    EXPECT_EQ(main().button_caption(), "<<  >>");
    EXPECT_FALSE(Timer_PosWindow()->enabled());
    EXPECT_EQ(main().list().focus_count(), 1);

    windows.add("New - Microsoft Internet Explorer");
    main().click_window_button();
    EXPECT_EQ(panel(), p);  // the same panel, not a new one
    EXPECT_TRUE(p->visible());
    EXPECT_EQ(main().button_caption(), ">>  <<");
    EXPECT_TRUE(Timer_PosWindow()->enabled());
    EXPECT_EQ(main().list().focus_count(), 2);
    EXPECT_EQ(window_titles(), Lines{"New - Microsoft Internet Explorer"});
    EXPECT_EQ(toolkit.panels_created(), 1);
}

TEST_F(Panel, HidingKeepsTheFilterChoiceAndDoesNotReadTheRunKeyAgain) {
    start();
    panel()->set_Check_IWindows(0);
    registry.clear_calls();
    main().click_window_button();
    main().click_window_button();
    EXPECT_EQ(panel()->Check_IWindows_value(), 0);
    EXPECT_TRUE(registry.calls().empty());
}

TEST_F(Panel, ClosingStopsDockingAndTheButtonBuildsAFreshPanel) {
    windows.add("W - Microsoft Internet Explorer");
    start();
    panel()->set_Check_IWindows(0);
    panel()->close();
    EXPECT_EQ(panel(), nullptr);
    EXPECT_EQ(main().button_caption(), "<<  >>");
    EXPECT_EQ(Timer_PosWindow(), nullptr);
    EXPECT_TRUE(state().shown_titles.empty());

    main().click_window_button();
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(toolkit.panels_created(), 2);
    EXPECT_TRUE(panel()->visible());
    EXPECT_EQ(panel()->Check_IWindows_value(), 1);  // design value again
    // Same windows as before the close, and still the list is filled.
    EXPECT_EQ(window_titles(), Lines{"W - Microsoft Internet Explorer"});
    EXPECT_EQ(main().button_caption(), ">>  <<");
    EXPECT_TRUE(Timer_PosWindow()->enabled());
    EXPECT_EQ(panel()->left(), main().left() + main().width() + 30);
}

TEST_F(Panel, DockingFollowsVerticalMovesOnly) {
    start();
    FakePanel& p = *panel();
    ASSERT_TRUE(Timer_PosWindow()->fire());
    const float left = p.left();
    main().user_move(main().left() + 200, main().top());  // sideways
    Timer_PosWindow()->fire();
    EXPECT_EQ(p.left(), left);
    main().user_move(main().left(), main().top() + 0.5f);  // down, by a fraction
    Timer_PosWindow()->fire();
    EXPECT_EQ(p.left(), main().left() + main().width() + 30);
    EXPECT_EQ(p.top(), main().top());
}

TEST_F(Panel, LoadDoesNotMoveAPanelWhoseTopAlreadyMatches) {
    // The fake's fresh panel stands at top 200; so does the main window.
    start();
    main().user_move(0, 200);
    panel()->close();
    main().click_window_button();
    EXPECT_EQ(panel()->left(), 100);
    main().user_move(0, 201);
    main().click_window_button();  // hide
    main().click_window_button();  // show: the load does not run again
    EXPECT_EQ(panel()->left(), 100);
    Timer_PosWindow()->fire();
    EXPECT_EQ(panel()->left(), 6090 + 30);
}

TEST_F(Panel, PickStripsEveryBrowserSuffix) {
    put_file("Vorlix_BrowserName.dat", "Microsoft Internet Explorer\r\nMozilla\r\n");
    windows.add("Win a prize - Microsoft Internet Explorer");
    windows.add("Notes - Mozilla - Microsoft Internet Explorer");
    windows.add("Editor");
    start();
    panel()->set_Check_IWindows(0);
    program->window_list()->Update_Window_List();
    ASSERT_EQ(window_titles(), (Lines{"Editor", "Notes - Mozilla - Microsoft Internet Explorer",
                                      "Win a prize - Microsoft Internet Explorer"}));
    panel()->select_window(2);
    EXPECT_EQ(main().title_text(), "Win a prize");
    panel()->select_window(1);
    EXPECT_EQ(main().title_text(), "Notes");
    panel()->select_window(0);
    EXPECT_EQ(main().title_text(), "Editor");
    EXPECT_TRUE(titles().empty());  // nothing is added until the user adds it
    panel()->select_window(-1);
    EXPECT_EQ(main().title_text(), "Editor");
}

TEST_F(Panel, SiteLabelOpensTheAddressWithoutAShell) {
    start();
    EXPECT_EQ(panel()->site_caption(), "Visit our site: https://www.kelto.example/vorlix");
    panel()->click_site();
    EXPECT_EQ(runner.opened(), Lines{"https://www.kelto.example/vorlix"});
}

TEST_F(Panel, NoticeShowsTheWindowSystemsLineOrOurOwn) {
    start();
    EXPECT_EQ(panel()->notice(), "Click a window to pick its title");
    program.reset();
    windows.set_notice("Only X11 windows are visible");
    start();
    EXPECT_EQ(panel()->notice(), "Only X11 windows are visible");
}

}  // namespace
}  // namespace vorlix::test
