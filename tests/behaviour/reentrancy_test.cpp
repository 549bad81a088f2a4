// Handlers that run inside another handler's yields.
#include <algorithm>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

class Reentrancy : public ProgramTest {
protected:
    // List_Window and the shown-titles list hold the same titles.
    void expect_in_step() {
        if (panel() == nullptr) {
            EXPECT_TRUE(state().shown_titles.empty());
            return;
        }
        Lines shown = state().shown_titles;
        Lines listed = window_titles();
        std::sort(shown.begin(), shown.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(shown, listed) << "at yield " << toolkit.yields();
    }
    void refresh() { program->window_list()->Update_Window_List(); }
};

TEST_F(Reentrancy, ATickDueDuringAScanIsSkipped) {
    put_file("Vorlix.dat", "A\r\nB\r\n");
    put_file("Vorlix_BrowserName.dat", "X\r\n");
    windows.add("Other - X");
    start();
    windows.clear_records();
    int nested_ran = 0;
    // In the refresh's walk, and again in the scan's walk.
    toolkit.on_every_yield([&] { nested_ran += tick() ? 1 : 0; });
    ASSERT_TRUE(tick());
    EXPECT_GT(nested_ran, 2);
    EXPECT_EQ(windows.walks(), 1);
    EXPECT_EQ(windows.lookups(), (Lines{"A - X", "B - X"}));
    EXPECT_EQ(main().lamp(), 0xC000u);

    toolkit.on_every_yield(nullptr);
    ASSERT_TRUE(tick());  // the guard is released
    EXPECT_EQ(windows.walks(), 2);
}

TEST_F(Reentrancy, NestedRefreshesKeepTheListInStepWithTheShownTitles) {
    const auto a = windows.add("a - Microsoft Internet Explorer");
    windows.add("b - Microsoft Internet Explorer");
    start();
    // Whatever runs inside the yields: the button, a scan tick, a refresh,
    // and windows changing under the walk.
    toolkit.on_every_yield([&] { expect_in_step(); });
    toolkit.after_yields(1, [&] { windows.add("c - Microsoft Internet Explorer"); });
    toolkit.after_yields(2, [&] { refresh(); });
    toolkit.after_yields(4, [&] { main().click_window_button(); });  // hides
    toolkit.after_yields(5, [&] { main().click_window_button(); });  // shows, refreshing
    toolkit.after_yields(6, [&] {
        tick();
        windows.remove(a);
    });
    refresh();
    expect_in_step();
    toolkit.on_every_yield(nullptr);
    refresh();
    EXPECT_EQ(window_titles(),
              (Lines{"b - Microsoft Internet Explorer", "c - Microsoft Internet Explorer"}));
    expect_in_step();
}

TEST_F(Reentrancy, RefreshNestedInARefillAddsNothingTwice) {
    windows.add("a - Microsoft Internet Explorer");
    windows.add("b - Microsoft Internet Explorer");
    start();
    windows.add("c - Microsoft Internet Explorer");
    toolkit.after_yields(3 + 1, [&] { refresh(); });  // the refill's first yield
    refresh();
    const Lines all{"a - Microsoft Internet Explorer", "b - Microsoft Internet Explorer",
                    "c - Microsoft Internet Explorer"};
    EXPECT_EQ(window_titles(), all);
    EXPECT_EQ(state().shown_titles, all);
}

TEST_F(Reentrancy, EditsDuringASaveAreSavedAgainAfterIt) {
    put_file("Vorlix.dat", "A\r\nB\r\nC\r\n");
    start();
    Lines written;
    files.on_call([&](const FsCall& call) {
        if (call.op == FsOp::replace && call.ok) written.push_back(*file("Vorlix.dat"));
    });
    toolkit.after_yields(2, [&] { add_title("E"); });
    toolkit.after_yields(3, [&] {
        main().select_title(0);
        main().click_remove();
    });
    add_title("D");
    EXPECT_EQ(titles(), (Lines{"[B]", "[C]", "[D]", "[E]"}));
    // The running save wrote the list as it began; the next pass the list
    // after both edits; no pass ever started inside another.
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written.front(), "A\r\nB\r\nC\r\nD\r\n");
    EXPECT_EQ(written.back(), "B\r\nC\r\nD\r\nE\r\n");
    EXPECT_EQ(*file("Vorlix.dat"), "B\r\nC\r\nD\r\nE\r\n");
    EXPECT_EQ(files.open_files(), 0);
}

TEST_F(Reentrancy, ClosingTheMainWindowDuringASaveWritesTheLatestList) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    toolkit.after_yields(1, [&] {
        add_title("C");  // waits for the running save
        main().close();
    });
    EXPECT_THROW(add_title("B"), ProgramEnded);
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\nB\r\nC\r\n");
}

TEST_F(Reentrancy, ScanWalkSurvivesABlacklistThatShrinksOrGrows) {
    put_file("Vorlix.dat", "A\r\nB\r\nC\r\n");
    put_file("Vorlix_BrowserName.dat", "X\r\n");
    start();
    windows.clear_records();
    toolkit.on_every_yield([&] {
        if (windows.lookups().size() != 1 || titles().size() != 3) return;
        main().select_title(0);
        main().click_remove();
        main().select_title(0);
        main().click_remove();
    });
    ASSERT_TRUE(tick());
    EXPECT_EQ(titles(), Lines{"[C]"});
    EXPECT_EQ(windows.lookups(), Lines{"A - X"});  // the vanished positions are skipped

    windows.clear_records();
    toolkit.on_every_yield([&] {
        if (windows.lookups().size() == 1 && titles().size() == 1) add_title("0");
    });
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.lookups().size(), 1u);  // the count was read when the walk began
    windows.clear_records();
    toolkit.on_every_yield(nullptr);
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.lookups(), (Lines{"0 - X", "C - X"}));
}

TEST_F(Reentrancy, ScanWalkTakesBrowserNamesLearnedDuringItsYields) {
    put_file("Vorlix.dat", "A\r\nB\r\n");
    put_file("Vorlix_BrowserName.dat", "X\r\n");
    start();
    windows.clear_records();
    toolkit.after_yields(1, [&] {
        windows.add("Home - Netscape");
        main().click_window_button();  // hide
        main().click_window_button();  // show: refreshes and learns a name
    });
    ASSERT_TRUE(tick());
    EXPECT_EQ(state().browser_names, (Lines{"X", "Netscape"}));
    // A's names were counted before the name came; B's after.
    EXPECT_EQ(windows.lookups(), (Lines{"A - X", "B - X", "B - Netscape"}));
}

TEST_F(Reentrancy, PanelClosedDuringARefreshWalkOrRefill) {
    windows.add("a - Microsoft Internet Explorer");
    start();
    for (const bool in_refill : {false, true}) {
        SCOPED_TRACE(in_refill);
        if (panel() == nullptr) main().click_window_button();
        ASSERT_NE(panel(), nullptr);
        // A change to refill with and a name to learn.
        windows.add(in_refill ? "r - Microsoft Internet Explorer"
                              : "w - Microsoft Internet Explorer");
        windows.add(in_refill ? "n - Netscape r" : "n - Netscape w");
        const Lines names = state().browser_names;
        files.clear_calls();
        // The walk yields once per window, then the refill once per title.
        const long at = in_refill ? static_cast<long>(windows.windows().size()) + 1 : 1;
        toolkit.after_yields(at, [&] { panel()->close(); });
        refresh();
        EXPECT_EQ(panel(), nullptr);
        EXPECT_TRUE(state().shown_titles.empty());
        EXPECT_EQ(main().button_caption(), "<<  >>");
        EXPECT_EQ(Timer_PosWindow(), nullptr);
        // Ended quietly: nothing learned, nothing written.
        EXPECT_EQ(state().browser_names, names);
        EXPECT_TRUE(files.calls_of(FsOp::create_new).empty());
    }
}

TEST_F(Reentrancy, PanelClosedDuringTheLoadThatTheButtonStarted) {
    windows.add("a - Microsoft Internet Explorer");
    start();
    panel()->close();
    registry.clear_calls();
    toolkit.after_yields(1, [&] { panel()->close(); });
    main().click_window_button();
    EXPECT_EQ(panel(), nullptr);
    EXPECT_EQ(main().button_caption(), "<<  >>");
    EXPECT_EQ(Timer_PosWindow(), nullptr);
    EXPECT_TRUE(registry.calls().empty());  // the load stopped before its last step
}

TEST_F(Reentrancy, PanelClosedAndReopenedDuringARefresh) {
    windows.add("a - Microsoft Internet Explorer");
    start();
    windows.add("b - Microsoft Internet Explorer");
    toolkit.after_yields(1, [&] {
        panel()->close();
        main().click_window_button();  // a new panel, loaded and filled
    });
    refresh();
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(toolkit.panels_created(), 2);
    EXPECT_EQ(window_titles(),
              (Lines{"a - Microsoft Internet Explorer", "b - Microsoft Internet Explorer"}));
    expect_in_step();
    EXPECT_EQ(main().button_caption(), ">>  <<");
}

TEST_F(Reentrancy, PanelClosedDuringAScanTickRefresh) {
    put_file("Vorlix.dat", "A\r\n");
    windows.add("A - Microsoft Internet Explorer");
    start();
    windows.add("B - Microsoft Internet Explorer");
    toolkit.after_yields(1, [&] { panel()->close(); });
    ASSERT_TRUE(tick());
    EXPECT_EQ(panel(), nullptr);
    EXPECT_EQ(windows.close_requests().size(), 1u);  // the scan itself went on
    EXPECT_EQ(main().lamp(), 0xC000u);
}

}  // namespace
}  // namespace vorlix::test
