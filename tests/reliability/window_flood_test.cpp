// More windows than the panel's list box can hold (its positions are 16-bit):
// the list shows the first 32767 and must still be left alone while nothing
// changes, as with fewer windows.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "world.h"

namespace vorlix::reliability {
namespace {

TEST(WindowFlood, MoreWindowsThanTheListHoldsDoNotRefillItEveryTick) {
    if (scaled_down()) {
        // The count cannot shrink (the point is more windows than the list
        // holds), and the fake's own look-ups make it minutes long there.
        GTEST_SKIP() << "needs the full count of windows";
    }
    test::FakeFileSystem files;
    files.add_folder("/opt/vorlix");
    World world(files, "/opt/vorlix");
    for (int i = 0; i < SortedList::kMaxEntries + 3; ++i) {
        world.windows.add("Page " + std::to_string(i) + " - " + kIe);
    }
    world.start();
    ASSERT_EQ(world.panel()->list().items().size(),
              static_cast<std::size_t>(SortedList::kMaxEntries));
    world.panel()->select_window(5);
    const int clears = world.panel()->list().clear_count();

    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(world.tick());
    std::printf(
        "[window flood] %d windows: a tick with nothing changed took %.0f ms\n",
        SortedList::kMaxEntries + 3,
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    EXPECT_EQ(world.panel()->list().clear_count(), clears) << "the unchanged list was refilled";
    EXPECT_EQ(world.panel()->list().selected(), 5) << "the user's pick was lost";
}

}  // namespace
}  // namespace vorlix::reliability
