// The scan tick and suspending/resuming it.
#include "program_fixture.h"

namespace vorlix::test {
namespace {

class Scanner : public ProgramTest {
protected:
    void start_with(const std::string& blacklist, const std::string& names) {
        if (!blacklist.empty()) put_file("Vorlix.dat", blacklist);
        if (!names.empty()) put_file("Vorlix_BrowserName.dat", names);
        start();
        windows.clear_records();
    }
};

TEST_F(Scanner, EmptyBlacklistRefreshesTheListButLooksNothingUp) {
    start_with("", "");
    windows.add("Win - Microsoft Internet Explorer");
    ASSERT_TRUE(tick());
    EXPECT_TRUE(windows.lookups().empty());
    EXPECT_EQ(windows.walks(), 1);
    EXPECT_EQ(window_titles(), Lines{"Win - Microsoft Internet Explorer"});
    EXPECT_EQ(main().status(), "");
    const auto& lamps = main().lamp_history();
    ASSERT_GE(lamps.size(), 2u);
    EXPECT_EQ(lamps[lamps.size() - 2], 0xFFu);
    EXPECT_EQ(lamps.back(), 0xC000u);
}

TEST_F(Scanner, LooksUpEveryTitleWithEveryNameBlacklistMajorYieldingAfterEach) {
    start_with("B\r\nA\r\n", "X\r\nY\r\n");
    std::vector<std::size_t> lookups_at_yield;
    const long before = toolkit.yields();
    toolkit.on_every_yield([&] { lookups_at_yield.push_back(windows.lookups().size()); });
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.lookups(), (Lines{"A - X", "A - Y", "B - X", "B - Y"}));
    // No windows: the refresh yields nothing, so every yield follows a look-up.
    EXPECT_EQ(toolkit.yields() - before, 4);
    EXPECT_EQ(lookups_at_yield, (std::vector<std::size_t>{1, 2, 3, 4}));
}

TEST_F(Scanner, ClosesWhatItFindsIgnoringCaseAndCounts) {
    start_with("A\r\n", "X\r\n");
    const auto exact = windows.add("A");
    const auto found = windows.add("a - x");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests(), std::vector<platform::WindowId>{found});
    EXPECT_NE(found, exact);
    EXPECT_EQ(main().status(), "  Killed 1 popup");
    EXPECT_EQ(state().kill_count, 1);
}

TEST_F(Scanner, TwoWindowsWithOneTitleCloseOnePerTick) {
    start_with("A\r\n", "X\r\n");
    windows.set_close_on_request(true);
    const auto first = windows.add("A - X");
    const auto second = windows.add("A - X");
    ASSERT_TRUE(tick());
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests(), (std::vector<platform::WindowId>{first, second}));
    EXPECT_EQ(main().status(), "  Killed 2 popup");
}

TEST_F(Scanner, SameTitleTwiceIsLookedUpAndCountedTwice) {
    start_with("A\r\nA\r\n", "X\r\n");
    windows.add("A - X");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests().size(), 2u);
    EXPECT_EQ(main().status(), "  Killed 2 popup");
}

TEST_F(Scanner, KillCountGrowsAcrossTicksWithoutPluralForm) {
    start_with("A\r\n", "X\r\n");
    windows.add("A - X");
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(tick());
    EXPECT_EQ(main().status(), "  Killed 12 popup");
}

TEST_F(Scanner, EmptyTitleEntryLooksUpTheBareSuffix) {
    start_with("\r\n", "X\r\n");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.lookups(), Lines{" - X"});
}

TEST_F(Scanner, OneMozillaWindowSparesMozillaNamesOnly) {
    start_with("A\r\n", "Mozilla\r\nNetscape\r\n");
    const auto moz = windows.add("A - Mozilla");
    const auto ns = windows.add("A - Netscape");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests(), std::vector<platform::WindowId>{ns});
    EXPECT_EQ(main().status(), "  Killed 1 popup");

    // A second listed window mentioning Mozilla lifts the exception.
    windows.add("News - Mozilla");
    windows.clear_records();
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests(), (std::vector<platform::WindowId>{moz, ns}));
}

TEST_F(Scanner, MozillaCountIsCaseSensitiveAndFollowsTheFilter) {
    start_with("A\r\n", "Mozilla\r\n");
    const auto moz = windows.add("A - Mozilla");
    windows.add("mozilla notes");  // lower case: does not count
    ASSERT_TRUE(tick());
    EXPECT_TRUE(windows.close_requests().empty());

    // With every window listed, a second entry mentioning Mozilla appears.
    panel()->set_Check_IWindows(0);
    windows.add("Mozilla Thunderbird");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests(), std::vector<platform::WindowId>{moz});
}

TEST_F(Scanner, NamesLearnedByTheRefreshAreTriedOnTheSameTick) {
    start_with("A\r\n", "");
    windows.add("A - Netscape 6");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.lookups(), (Lines{"A - Microsoft Internet Explorer", "A - Netscape 6"}));
    EXPECT_EQ(windows.close_requests().size(), 1u);
}

TEST_F(Scanner, ATickCreatesAClosedPanelHidden) {
    start_with("", "");
    windows.add("W - Microsoft Internet Explorer");
    panel()->close();
    ASSERT_EQ(panel(), nullptr);
    ASSERT_TRUE(tick());
    ASSERT_NE(panel(), nullptr);
    EXPECT_FALSE(panel()->visible());
    EXPECT_EQ(window_titles(), Lines{"W - Microsoft Internet Explorer"});
    EXPECT_EQ(main().button_caption(), "<<  >>");
    EXPECT_FALSE(Timer_PosWindow()->enabled());
}

using ScanControl = Scanner;

TEST_F(ScanControl, SuspendAndResumeSwapPicturesLampAndTimer) {
    start_with("A\r\n", "X\r\n");
    windows.add("A - X");
    ASSERT_TRUE(tick());
    const std::string status = main().status();

    main().click_active();
    EXPECT_FALSE(Timer_Destroy().enabled());
    EXPECT_FALSE(main().active_visible());
    EXPECT_TRUE(main().suspended_visible());
    EXPECT_EQ(main().lamp(), 0xEEDDu);
    EXPECT_FALSE(tick());
    EXPECT_EQ(windows.close_requests().size(), 1u);

    main().click_suspended();
    EXPECT_TRUE(Timer_Destroy().enabled());
    EXPECT_EQ(Timer_Destroy().starts(), 2);  // a fresh interval from the resume
    EXPECT_TRUE(main().active_visible());
    EXPECT_FALSE(main().suspended_visible());
    EXPECT_EQ(main().lamp(), 0xC000u);
    EXPECT_EQ(main().status(), status);
    EXPECT_EQ(state().kill_count, 1);
    EXPECT_EQ(Timer_Destroy().interval(), 3000);
}

TEST_F(ScanControl, SuspendDuringAWalkLetsTheTickFinishAndKeepsTheLampYellow) {
    start_with("A\r\nB\r\n", "X\r\n");
    windows.add("B - X");
    toolkit.on_every_yield([&] {
        if (windows.lookups().size() == 1 && Timer_Destroy().enabled()) main().click_active();
    });
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.lookups(), (Lines{"A - X", "B - X"}));
    EXPECT_EQ(windows.close_requests().size(), 1u);
    EXPECT_EQ(main().lamp(), 0xEEDDu);
    EXPECT_TRUE(main().suspended_visible());
    EXPECT_FALSE(tick());
}

}  // namespace
}  // namespace vorlix::test
