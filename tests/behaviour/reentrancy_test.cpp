// Decisions about handlers that run inside another handler's yields, which
// the randomised run can check but not name.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

// The window button shows the panel, whose refresh refills the list with two
// Mozilla windows; a tick at any yield of that refresh must not count a
// half-filled list, so a tick that walks closes the Mozilla window it finds.
TEST(Reentrancy, ATickDuringARefreshNeverCountsAHalfFilledList) {
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

// The window button pressed at any yield of a tick's refresh of the hidden
// panel: the refresh it starts must not add to the half-refilled list.
TEST(Reentrancy, AShowDuringATicksRefreshNeverListsATitleTwice) {
    const Lines all{"A - Microsoft Internet Explorer", "B - Microsoft Internet Explorer"};
    auto tick_with_show_at = [&all](long at, ProgramFixture& w) {
        w.start();
        w.click_window_button();
        for (const std::string& title : all) w.windows.add(title);
        const long before = w.toolkit.yields;
        if (at > 0) w.toolkit.after_yields(at, [&w] { w.click_window_button(); });
        EXPECT_TRUE(w.tick());
        return w.toolkit.yields - before;
    };
    ProgramFixture plain;
    const long yields = tick_with_show_at(0, plain);
    for (long at = 1; at <= yields; ++at) {
        ProgramFixture w;
        tick_with_show_at(at, w);
        EXPECT_EQ(w.window_titles(), all) << "at yield " << at;
    }
}

}  // namespace
}  // namespace vorlix::test
