// The scan tick over the whole program, and suspending and resuming it.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

class ScanTick : public ::testing::Test, public ProgramFixture {};

TEST_F(ScanTick, RefreshesTheListThenClosesWhatItFindsAndCountsWithTheLampRedMeanwhile) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    windows.add("Notes");
    const auto popup = windows.add("a - Microsoft Internet Explorer");
    auto lamp = app::Lamp::Design;
    toolkit.after_yields(1, [&] { lamp = main().lamp; });
    ASSERT_TRUE(tick());
    EXPECT_EQ(lamp, app::Lamp::Scanning);
    EXPECT_EQ(window_titles(), Lines{"a - Microsoft Internet Explorer"});
    EXPECT_EQ(windows.close_requests, std::vector<platform::WindowId>{popup});
    EXPECT_EQ(main().status, "  Killed 1 popup");
    EXPECT_EQ(main().lamp, app::Lamp::Waiting);
}

TEST_F(ScanTick, TheMozillaCountComesFromTheListAsFilteredAndLearnedNamesAreTriedAtOnce) {
    put_file("Vorlix.dat", "A\r\n");
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
    const auto moz = windows.add("A - Mozilla");
    windows.add("Mozilla Thunderbird");  // no browser window: not listed, not counted
    start();
    ASSERT_TRUE(tick());
    EXPECT_TRUE(windows.close_requests.empty());
    panel()->check_iwindows = 0;
    const auto netscape = windows.add("A - Netscape 6");
    ASSERT_TRUE(tick());
    EXPECT_EQ(windows.close_requests, (std::vector<platform::WindowId>{moz, netscape}));
}

TEST_F(ScanTick, SuspendAndResumeSwapPicturesLampAndTimer) {
    start();
    for (const bool on : {false, true}) {
        on ? main().events.Command_TimerS_Click() : main().events.Command_Timer_Click();
        EXPECT_EQ(Timer_Destroy().enabled(), on);
        EXPECT_EQ(main().active, on);
        EXPECT_EQ(main().suspended, !on);
        EXPECT_EQ(main().lamp, on ? app::Lamp::Waiting : app::Lamp::Suspended);
        EXPECT_EQ(tick(), on);
    }
}

}  // namespace
}  // namespace vorlix::test
