// The panel's notice follows the window system's, which changes when, for
// one, the display is lost while Vorlix runs.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

class Notice : public ::testing::Test, public ProgramFixture {};

TEST_F(Notice, EachUpdateShowsTheWindowSystemsCurrentNoticeWhenItChanged) {
    start();
    EXPECT_EQ(panel()->notice, windowlist::kOwnNotice);
    windows.notice_text = "No windows: lost the X display";
    refresh();
    EXPECT_EQ(panel()->notice, windows.notice_text);
    panel()->notice.clear();  // unchanged: not set again
    refresh();
    EXPECT_EQ(panel()->notice, "");
}

}  // namespace
}  // namespace vorlix::test
