// The scan tick over the whole program, and suspending and resuming it.
#include <gtest/gtest.h>

#include "core/scanner.h"
#include "program_fixture.h"

namespace vorlix::test {
namespace {

class ScanTick : public ::testing::Test, public ProgramFixture {
protected:
    void start_with(const std::string& blacklist, const std::string& names) {
        put_file("Vorlix.dat", blacklist);
        if (!names.empty()) put_file("Vorlix_BrowserName.dat", names);
        start();
    }
};

TEST_F(ScanTick, RefreshesTheListThenClosesWhatItFindsAndCounts) {
    start_with("A\r\n", "");
    windows.add("Notes");
    const auto popup = windows.add("a - Microsoft Internet Explorer");
    ASSERT_TRUE(tick());
    EXPECT_EQ(window_titles(), Lines{"a - Microsoft Internet Explorer"});
    EXPECT_EQ(windows.close_requests, std::vector<platform::WindowId>{popup});
    EXPECT_EQ(main().status, scanner::killed_status(1));
    EXPECT_EQ(main().lamp, app::kLampGreen);
    ASSERT_TRUE(tick());
    EXPECT_EQ(state().kill_count, 2);
}

TEST_F(ScanTick, TheMozillaCountComesFromTheListAsFiltered) {
    start_with("A\r\n", "Mozilla\r\n");
    const auto moz = windows.add("A - Mozilla");
    windows.add("Mozilla Thunderbird");  // no browser window: not listed, not counted
    ASSERT_TRUE(tick());
    EXPECT_TRUE(windows.close_requests.empty());
    panel()->check_iwindows = 0;
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests, std::vector<platform::WindowId>{moz});
}

TEST_F(ScanTick, NamesLearnedByTheRefreshAreTriedOnTheSameTickAndAnEmptyListTriesNone) {
    start_with("A\r\n", "");
    windows.add("A - Netscape 6");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests.size(), 1u);
    remove_title(0);
    windows.lookups.clear();
    ASSERT_TRUE(tick());
    EXPECT_TRUE(windows.lookups.empty());
}

TEST_F(ScanTick, ATickMakesAClosedPanelHidden) {
    start_with("", "");
    close_panel();
    ASSERT_TRUE(tick());
    ASSERT_NE(panel(), nullptr);
    EXPECT_FALSE(panel()->shown);
    EXPECT_EQ(main().button, "<<  >>");
    EXPECT_FALSE(Timer_PosWindow()->enabled());
}

TEST_F(ScanTick, SuspendAndResumeSwapPicturesLampAndTimer) {
    start_with("A\r\n", "");
    main().events.Command_Timer_Click();
    EXPECT_FALSE(Timer_Destroy().enabled());
    EXPECT_FALSE(main().active);
    EXPECT_TRUE(main().suspended);
    EXPECT_EQ(main().lamp, app::kLampYellow);
    EXPECT_FALSE(tick());
    main().events.Command_TimerS_Click();
    EXPECT_TRUE(Timer_Destroy().enabled());
    EXPECT_TRUE(main().active);
    EXPECT_FALSE(main().suspended);
    EXPECT_EQ(main().lamp, app::kLampGreen);
}

TEST_F(ScanTick, ASuspendDuringAWalkLetsTheTickFinishAndKeepsTheLampYellow) {
    start_with("A\r\nB\r\n", "X\r\n");
    windows.add("B - X");
    toolkit.every_yield = [&] {
        if (windows.lookups.size() == 1) main().events.Command_Timer_Click();
    };
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests.size(), 1u);
    EXPECT_EQ(main().lamp, app::kLampYellow);
}

}  // namespace
}  // namespace vorlix::test
