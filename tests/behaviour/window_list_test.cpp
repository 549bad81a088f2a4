// Update_Window_List: which windows are listed, the filter, the change test
// and browser-name learning.
#include "program_fixture.h"

namespace vorlix::test {
namespace {

class WindowList : public ProgramTest {
protected:
    app::Program& started() {
        start();
        return *program;
    }
    void refresh() { program->window_list()->Update_Window_List(); }
};

TEST_F(WindowList, ListsOnlyVisibleUnownedTitledWindowsOtherThanThePanel) {
    windows.add_with_id(kPanelId, "Vorlix - Window List");
    const auto owner = windows.add("Editor");
    windows.add("Hidden", false);
    windows.add("Dialog", true, owner);
    windows.add("");
    windows.add("Editor");
    start();
    panel()->set_Check_IWindows(0);
    refresh();
    EXPECT_EQ(window_titles(), (Lines{"Editor", "Editor"}));
    EXPECT_EQ(state().shown_titles, (Lines{"Editor", "Editor"}));
    EXPECT_EQ(windows.walk_origins().back(), kPanelId);
}

TEST_F(WindowList, FilterKeepsBrowserWindowsOnly) {
    windows.add("Search - Microsoft Internet Explorer");
    windows.add("Microsoft Internet Explorer");
    windows.add("Notes");
    start();
    EXPECT_EQ(window_titles(), Lines{"Search - Microsoft Internet Explorer"});
    panel()->set_Check_IWindows(2);  // greyed counts as ticked
    refresh();
    EXPECT_EQ(window_titles(), Lines{"Search - Microsoft Internet Explorer"});
}

TEST_F(WindowList, EmptyBrowserNameMakesEveryDashTitleABrowserWindow) {
    put_file("Vorlix_BrowserName.dat", "\r\n");
    windows.add("a - b");
    windows.add("plain");
    start();
    EXPECT_EQ(window_titles(), Lines{"a - b"});
}

TEST_F(WindowList, ListBoxShowsSortedWhileShownTitlesKeepWalkOrder) {
    windows.add("b");
    windows.add("A");
    start();
    panel()->set_Check_IWindows(0);
    refresh();
    EXPECT_EQ(window_titles(), (Lines{"A", "b"}));
    EXPECT_EQ(state().shown_titles, (Lines{"b", "A"}));
}

TEST_F(WindowList, UnchangedWindowsKeepTheListAndItsSelection) {
    windows.add("x - Microsoft Internet Explorer");
    windows.add("y - Microsoft Internet Explorer");
    start();
    panel()->select_window(1);
    const int clears = panel()->list().clear_count();
    refresh();
    EXPECT_EQ(panel()->list().clear_count(), clears);
    EXPECT_EQ(panel()->list().selected(), 1);
}

TEST_F(WindowList, RestackingOrRetitlingRefills) {
    const auto x = windows.add("x - Microsoft Internet Explorer");
    const auto y = windows.add("y - Microsoft Internet Explorer");
    start();
    panel()->select_window(1);
    windows.raise(y);
    refresh();
    EXPECT_EQ(panel()->list().selected(), -1);
    EXPECT_EQ(state().shown_titles,
              (Lines{"y - Microsoft Internet Explorer", "x - Microsoft Internet Explorer"}));
    const int clears = panel()->list().clear_count();
    windows.retitle(x, "X - Microsoft Internet Explorer");  // case counts as a change
    refresh();
    EXPECT_EQ(panel()->list().clear_count(), clears + 1);
}

TEST_F(WindowList, NoBrowserWindowsClearsTheListOnceAndThenLeavesIt) {
    const auto w = windows.add("x - Microsoft Internet Explorer");
    start();
    windows.remove(w);
    refresh();
    EXPECT_TRUE(window_titles().empty());
    const int clears = panel()->list().clear_count();
    refresh();
    EXPECT_EQ(panel()->list().clear_count(), clears);
}

TEST_F(WindowList, YieldsOncePerWindowReachedAndPerEntryAdded) {
    start();
    panel()->set_Check_IWindows(0);
    windows.add("a", false);
    windows.add("b");
    windows.add("c");
    const long before = toolkit.yields();
    refresh();
    EXPECT_EQ(toolkit.yields() - before, 3 + 2);
}

TEST_F(WindowList, LearnsNetscapeAndMozillaNamesAndWritesTheFileOnce) {
    windows.add("Home - Netscape 6");
    windows.add("A - Mozilla - B");
    windows.add("Both - Mozilla x - Netscape y");
    windows.add("Again - Netscape 6");
    start();
    EXPECT_EQ(state().browser_names,
              (Lines{kIe, "Netscape 6", "Mozilla - B", "Mozilla x - Netscape y"}));
    EXPECT_EQ(*file("Vorlix_BrowserName.dat"),
              "Microsoft Internet Explorer\r\nNetscape 6\r\nMozilla - B\r\n"
              "Mozilla x - Netscape y\r\n");
    EXPECT_EQ(files.calls_of(FsOp::replace).size(), 1u);
    // Learned after the display list was built: the filter uses them next time.
    EXPECT_TRUE(window_titles().empty());
    refresh();
    EXPECT_EQ(window_titles().size(), 4u);
}

TEST_F(WindowList, KnownNameIsNotLearnedAgain) {
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
    windows.add("News - Mozilla");
    start();
    EXPECT_EQ(state().browser_names, Lines{"Mozilla"});
    EXPECT_TRUE(files.calls_of(FsOp::create_new).empty());
}

TEST_F(WindowList, FailedBrowserNameSaveKeepsTheNamesAndSaysWhy) {
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
    start();
    files.fail(FsOp::create_new, "*", "Read-only file system");
    windows.add("Home - Netscape");
    refresh();
    EXPECT_EQ(state().browser_names, (Lines{"Mozilla", "Netscape"}));
    EXPECT_EQ(*file("Vorlix_BrowserName.dat"), "Mozilla\r\n");
    EXPECT_EQ(main().status().rfind("  Could not save the browser names: ", 0), 0u);
    EXPECT_NE(main().status().find("Read-only file system"), std::string::npos);
}

TEST_F(WindowList, WindowsChangingDuringTheWalk) {
    windows.add("a");
    const auto b = windows.add("b");
    const auto c = windows.add("c");
    start();
    panel()->set_Check_IWindows(0);
    // Each first yield comes with the walk standing on b.
    toolkit.after_yields(1, [&] { windows.remove(c); });
    refresh();
    EXPECT_EQ(state().shown_titles, (Lines{"a", "b"}));

    windows.add("c");
    toolkit.after_yields(1, [&] { windows.remove(b); });  // the window at hand
    refresh();
    EXPECT_EQ(state().shown_titles, Lines{"a"});

    toolkit.after_yields(1, [&] { windows.add("d"); });
    refresh();
    EXPECT_EQ(state().shown_titles, (Lines{"a", "c", "d"}));
    EXPECT_EQ(window_titles(), (Lines{"a", "c", "d"}));
}

}  // namespace
}  // namespace vorlix::test
