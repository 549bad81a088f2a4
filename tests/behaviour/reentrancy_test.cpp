// Decisions about handlers that run inside another handler's yields, which
// the randomised run can check but not name.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

class Reentrancy : public ::testing::Test, public ProgramFixture {};

TEST_F(Reentrancy, ATickDueDuringATickIsSkipped) {
    put_file("Vorlix.dat", "A\r\nB\r\n");
    put_file("Vorlix_BrowserName.dat", "X\r\n");
    windows.add("Other - X");
    start();
    const std::size_t walks = windows.walk_origins.size();
    toolkit.every_yield = [&] { tick(); };
    ASSERT_TRUE(tick());
    EXPECT_GT(toolkit.nested_fires, 2);
    EXPECT_EQ(windows.walk_origins.size(), walks + 1);
    EXPECT_EQ(windows.lookups, (Lines{"A - X", "B - X"}));
    toolkit.every_yield = nullptr;
    ASSERT_TRUE(tick());  // the guard is released
    EXPECT_EQ(windows.walk_origins.size(), walks + 2);
}

// The window button shows the panel, whose refresh refills the list with two
// Mozilla windows; a tick at any yield of that refresh must not count a
// half-filled list, so a tick that walks closes the Mozilla window it finds.
TEST(ReentrancyTick, ATickDuringARefreshNeverCountsAHalfFilledList) {
    auto show_with_tick_at = [](long at, ProgramFixture& w) {
        w.put_file("Vorlix.dat", "A\r\n");
        w.put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
        w.start();
        w.click_window_button();
        w.windows.add("A - Mozilla");
        w.windows.add("B - Mozilla");
        const long before = w.toolkit.yields;
        if (at > 0) w.toolkit.after_yields(at, [&w] { w.tick(); });
        w.click_window_button();
        return w.toolkit.yields - before;
    };
    ProgramFixture plain;
    const long yields = show_with_tick_at(0, plain);
    ASSERT_EQ(plain.window_titles().size(), 2u);
    for (long at = 1; at <= yields; ++at) {
        ProgramFixture w;
        show_with_tick_at(at, w);
        EXPECT_EQ(w.windows.close_requests.size(), w.windows.lookups.size()) << "at yield " << at;
    }
}

TEST_F(Reentrancy, EditsDuringASaveAreSavedByAPassAfterIt) {
    put_file("Vorlix.dat", "A\r\nB\r\nC\r\n");
    start();
    toolkit.after_yields(2, [&] { add_title("E"); });
    toolkit.after_yields(3, [&] { remove_title(0); });
    add_title("D");
    EXPECT_EQ(disk.count(FsOp::create_new), 2);  // one pass, then one more for both edits
    EXPECT_EQ(file("Vorlix.dat"), "B\r\nC\r\nD\r\nE\r\n");
}

TEST_F(Reentrancy, ClosingTheMainWindowDuringASaveWritesTheLatestList) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    toolkit.after_yields(1, [&] {
        add_title("C");  // waits for the running save
        close_main();
    });
    EXPECT_THROW(add_title("B"), ProgramEnded);
    EXPECT_EQ(file("Vorlix.dat"), "A\r\nB\r\nC\r\n");
}

TEST_F(Reentrancy, APanelClosedDuringARefreshEndsItQuietly) {
    windows.add("a - Microsoft Internet Explorer");
    start();
    for (const long at : {1L, 3L}) {  // in the walk; in the refill
        if (panel() == nullptr) click_window_button();
        windows.add("n - Netscape " + std::to_string(at));
        const Lines names = state().browser_names;
        const long saves = disk.count(FsOp::replace);
        toolkit.after_yields(at, [&] { close_panel(); });
        refresh();
        EXPECT_EQ(panel(), nullptr);
        EXPECT_TRUE(state().shown_titles.empty());
        EXPECT_EQ(Timer_PosWindow(), nullptr);
        EXPECT_EQ(state().browser_names, names) << "nothing learned, nothing written";
        EXPECT_EQ(disk.count(FsOp::replace), saves);
    }
}

TEST_F(Reentrancy, APanelClosedAndMadeAgainDuringARefreshIsFilledOnce) {
    windows.add("a - Microsoft Internet Explorer");
    start();
    windows.add("b - Microsoft Internet Explorer");
    toolkit.after_yields(1, [&] {
        close_panel();
        click_window_button();
    });
    refresh();
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(window_titles(),
              (Lines{"a - Microsoft Internet Explorer", "b - Microsoft Internet Explorer"}));
    EXPECT_EQ(state().shown_titles, window_titles());
    EXPECT_EQ(main().button, ">>  <<");
}

}  // namespace
}  // namespace vorlix::test
