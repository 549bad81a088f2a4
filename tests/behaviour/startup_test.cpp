// Start-up: data files, status line, placement, show order, timers.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

class StartUp : public ::testing::Test, public ProgramFixture {};

TEST_F(StartUp, WithoutDataFilesUsesDefaultsCentresThePairAndClosingEndsItWithoutWriting) {
    start();
    EXPECT_EQ(main().caption.rfind("Vorlix v", 0), 0u) << main().caption;
    EXPECT_NE(main().caption.find(" (build "), std::string::npos) << main().caption;
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(state().browser_names, Lines{kIe});
    EXPECT_EQ(Timer_Destroy().interval(), 3000);
    EXPECT_TRUE(Timer_Destroy().enabled());
    EXPECT_TRUE(main().shown && panel()->shown);
    ASSERT_TRUE(Timer_PosWindow()->fire());  // docks the panel beside the main window
    EXPECT_FLOAT_EQ(main().x, 19200 - (panel()->x + panel()->width()));
    EXPECT_FLOAT_EQ(main().y, 14400 - (main().y + main().height()));
    EXPECT_THROW(close_main(), ProgramEnded);
    EXPECT_FALSE(tick());  // no event reaches the program any more
    EXPECT_EQ(disk.count(FsOp::create_new), 0);
}

TEST_F(StartUp, DataFilesAreReadLineByLineAndTheBlacklistCounted) {
    put_file("Vorlix.dat", "B\r\nA\r\nB\r\n");
    put_file("Vorlix_BrowserName.dat", "Mozilla\r\n\r\n");
    put_file("Vorlix.cfg", "Timer=1500\r\n");
    start();
    EXPECT_EQ(titles(), (Lines{"[A]", "[B]", "[B]"}));
    EXPECT_EQ(main().status, "  Blacklist loaded: 3 popup filtered");
    EXPECT_EQ(state().browser_names, (Lines{"Mozilla", ""}));
    EXPECT_EQ(Timer_Destroy().interval(), 1500);
    put_file("Vorlix.dat", "\r\n");  // one line, and an empty one, is one title
    start();
    EXPECT_EQ(titles(), Lines{"[]"});
    EXPECT_EQ(main().status, "  Blacklist loaded: 1 popup filtered");
}

// An unreadable data file: the defaults, and the status line says why. A
// browser-name file that could not be read is never replaced by learning.
TEST(StartUpUnreadable, FilesFallBackToDefaultsTheStatusSaysWhyAndNothingIsReplaced) {
    for (const std::string name : {"Vorlix.dat", "Vorlix_BrowserName.dat"}) {
        ProgramFixture w;
        w.put_file(name, "Mozilla\r\n");
        w.disk.fail(FsOp::read_all, w.path(name), "Permission denied", 1);
        w.start();
        EXPECT_TRUE(w.titles().empty());
        const std::string what = name == "Vorlix.dat" ? "blacklist" : "browser names";
        EXPECT_EQ(w.main().status,
                  "  Could not read the " + what + ": " + w.path(name) + ": Permission denied");
        w.windows.add("Home - Netscape 6");
        ASSERT_TRUE(w.tick());
        EXPECT_EQ(w.state().browser_names, (Lines{kIe, "Netscape 6"}));  // learned, in memory
        EXPECT_EQ(w.file(name), "Mozilla\r\n");
    }
}

}  // namespace
}  // namespace vorlix::test
