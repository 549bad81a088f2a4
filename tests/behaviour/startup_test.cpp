// Start-up: caption, data files, status line, placement, show order, timers.
#include <algorithm>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

using StartUp = ProgramTest;

TEST_F(StartUp, WithoutDataFilesUsesDefaultsAndCreatesNothing) {
    start();
    EXPECT_EQ(main().caption(), "Vorlix v1.14 (build 47)");
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(main().status(), "");
    EXPECT_EQ(state().browser_names, Lines{kIe});
    EXPECT_EQ(Timer_Destroy().interval(), 3000);
    EXPECT_TRUE(Timer_Destroy().enabled());
    EXPECT_EQ(main().lamp(), 0xC000u);
    EXPECT_TRUE(main().active_visible());
    EXPECT_FALSE(main().suspended_visible());
    EXPECT_EQ(main().button_caption(), ">>  <<");
    EXPECT_TRUE(files.files().empty());
    EXPECT_EQ(state().kill_count, 0);
}

TEST_F(StartUp, BlacklistIsSortedAndCountedWithDuplicatesAndEmptyLines) {
    put_file("Vorlix.dat", "B\r\nA\r\nB\r\n");
    start();
    EXPECT_EQ(titles(), (Lines{"[A]", "[B]", "[B]"}));
    EXPECT_EQ(main().status(), "  Blacklist loaded: 3 popup filtered");
}

TEST_F(StartUp, EmptyBlacklistFileLeavesStatusEmptyAndOneEmptyLineGivesBrackets) {
    put_file("Vorlix.dat", "");
    start();
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(main().status(), "");
    program.reset();

    put_file("Vorlix.dat", "\r\n");
    start();
    EXPECT_EQ(titles(), Lines{"[]"});
    EXPECT_EQ(main().status(), "  Blacklist loaded: 1 popup filtered");
}

TEST_F(StartUp, LineEndsFollowTheDataFileLayout) {
    // LF alone stays inside the line; CR alone ends it; the last line needs
    // no terminator.
    put_file("Vorlix.dat", "A\nB\rC");
    start();
    EXPECT_EQ(titles(), (Lines{"[A\nB]", "[C]"}));
}

TEST_F(StartUp, BrowserNamesComeFromTheFileInFileOrder) {
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\nNetscape\r\n\r\n");
    start();
    EXPECT_EQ(state().browser_names, (Lines{"Mozilla", "Netscape", ""}));
}

TEST_F(StartUp, EmptyBrowserNameFileGivesTheDefaultWithoutWritingIt) {
    put_file("Vorlix_BrowserName.dat", "");
    start();
    EXPECT_EQ(state().browser_names, Lines{kIe});
    EXPECT_EQ(*file("Vorlix_BrowserName.dat"), "");
}

TEST_F(StartUp, IntervalComesFromTheConfigurationFirstLine) {
    const struct {
        const char* bytes;
        int interval;
    } cases[] = {
        {"Timer=1500\r\n9999\r\n", 1500},
        {"Timer= 2 500 ms\r\n", 2500},
        {"Timer=\r\n", 0},       // six characters exactly: no digits
        {"Timer=abc\r\n", 0},    // no digits: a silent timer
        {"Tim\r\n", 3000},       // too short for the label
        {"", 3000},              // no first line
        {"Timer=-5\r\n", 3000},  // not an interval a timer takes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        files.add_file(path("Vorlix.cfg"), c.bytes);
        start();
        EXPECT_EQ(Timer_Destroy().interval(), c.interval);
        EXPECT_EQ(main().lamp(), 0xC000u);
        program.reset();
    }
}

TEST_F(StartUp, SilentTimerNeverTicks) {
    put_file("Vorlix.cfg", "Timer=0\r\n");
    start();
    EXPECT_TRUE(Timer_Destroy().enabled());
    EXPECT_FALSE(tick());
}

TEST_F(StartUp, UnreadableFilesFallBackToTheMissingFileDefaults) {
    put_file("Vorlix.cfg", "Timer=1500\r\n");
    put_file("Vorlix.dat", "A\r\n");
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\n");
    files.fail(FsOp::read_all, "*", "Permission denied");
    start();
    EXPECT_EQ(Timer_Destroy().interval(), 3000);
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(state().browser_names, Lines{kIe});
    // The user learns of it before an edit replaces the file.
    EXPECT_EQ(main().status().rfind("  Could not read the blacklist: ", 0), 0u) << main().status();
    EXPECT_NE(main().status().find("Permission denied"), std::string::npos);
}

TEST_F(StartUp, YieldsOncePerLineOfEachFileReading) {
    put_file("Vorlix.dat", "A\r\nB\r\nC\r\n");
    put_file("Vorlix_BrowserName.dat", "X\r\nY\r\n");
    // Count the yields before the panel exists: the blacklist twice (entries,
    // then the count), the browser names once.
    long before_panel = -1;
    toolkit.on_every_yield([&] {
        if (toolkit.panels_created() == 0) before_panel = toolkit.yields();
    });
    start();
    EXPECT_EQ(before_panel, 3 + 2 + 3);
}

TEST_F(StartUp, PlacesThePairCentredAndShowsBothThenStartsTimers) {
    toolkit.set_screen_size({19201, 14401});
    start();
    FakePanel& p = *panel();
    const float left = (19201.0f - main().width() - p.width() - 30.0f) / 2.0f;
    const float top = (14401.0f - main().height()) / 2.0f;
    EXPECT_EQ(main().left(), left);
    EXPECT_EQ(main().top(), top);
    EXPECT_EQ(main().left(), (19201.0f - 6090.0f - 5295.0f - 30.0f) / 2.0f);  // fractions kept
    EXPECT_TRUE(main().shown());
    EXPECT_TRUE(p.visible());
    EXPECT_EQ(p.height(), 3750);
    ASSERT_NE(Timer_PosWindow(), nullptr);
    EXPECT_EQ(Timer_PosWindow()->interval(), 50);
    EXPECT_TRUE(Timer_PosWindow()->enabled());
    EXPECT_EQ(Timer_Destroy().starts(), 1);
    EXPECT_EQ(toolkit.panels_created(), 1);
}

TEST_F(StartUp, FirstDockTickPutsThePanelBesideTheMainWindow) {
    start();
    FakePanel& p = *panel();
    ASSERT_TRUE(Timer_PosWindow()->fire());
    EXPECT_EQ(p.left(), main().left() + main().width() + 30);
    EXPECT_EQ(p.top(), main().top());
}

TEST_F(StartUp, PanelLoadRunsDuringStartUpWithTheBrowserNamesAlreadyRead) {
    put_file("Vorlix_BrowserName.dat", "Opera\r\n");
    windows.add("Page - Opera");
    windows.add("Notes");
    start();
    EXPECT_EQ(window_titles(), Lines{"Page - Opera"});
}

TEST_F(StartUp, PanelClosedDuringItsFirstLoadIsMadeAgainAndShown) {
    windows.add("a - Microsoft Internet Explorer");
    toolkit.on_yield(1, [&] { panel()->close(); });
    start();
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(toolkit.panels_created(), 2);
    EXPECT_TRUE(panel()->visible());
    EXPECT_EQ(panel()->height(), 3750);
    EXPECT_EQ(window_titles(), Lines{"a - Microsoft Internet Explorer"});
    EXPECT_EQ(main().button_caption(), ">>  <<");
    ASSERT_NE(Timer_PosWindow(), nullptr);
    EXPECT_TRUE(Timer_PosWindow()->enabled());
}

TEST_F(StartUp, OverlongBlacklistLoadsTheFirst32767AndSaysSo) {
    std::string bytes;
    for (int i = 0; i < 32767 + 5; ++i) bytes += "t" + std::to_string(i) + "\r\n";
    put_file("Vorlix.dat", bytes);
    start();
    EXPECT_EQ(titles().size(), 32767u);
    EXPECT_EQ(main().status(),
              "  Blacklist loaded: 32767 popup filtered (5 more lines not loaded)");
    // The last title kept is line 32767; the ones after it were dropped.
    EXPECT_EQ(std::count(titles().begin(), titles().end(), "[t32766]"), 1);
    EXPECT_EQ(std::count(titles().begin(), titles().end(), "[t32767]"), 0);

    main().type_title("one more");
    main().click_add();
    EXPECT_EQ(main().status(), "  The blacklist is full (32767 titles)");
    EXPECT_EQ(main().title_text(), "one more");
    EXPECT_EQ(*file("Vorlix.dat"), bytes);
}

TEST_F(StartUp, ClosingTheMainWindowEndsTheProgramWithoutSaving) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    files.clear_calls();
    close_main();
    EXPECT_TRUE(toolkit.ended());
    EXPECT_TRUE(files.calls_of(FsOp::create_new).empty());
    EXPECT_FALSE(tick());  // no event reaches the program any more
}

}  // namespace
}  // namespace vorlix::test
