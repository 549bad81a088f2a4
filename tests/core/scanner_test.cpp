#include "core/scanner.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"

namespace vorlix::scanner {
namespace {

using Events = std::vector<std::string>;

// Windows by title, found ignoring case as the window systems do. Every
// look-up, close (by the closed window's title) and yield lands in `events`.
struct Desk {
    std::map<std::string, platform::WindowId> windows;
    Events events;
    Events statuses;
    std::function<void(int)> on_yield;  // with the yield's number, from 1
    int yields = 0;

    Hooks hooks() {
        return Hooks{[this](const std::string& candidate) -> platform::WindowId {
                         events.push_back("find " + candidate);
                         for (const auto& [title, id] : windows) {
                             if (text::equal_ignore_case(title, candidate)) return id;
                         }
                         return 0;
                     },
                     [this](platform::WindowId id) {
                         for (const auto& [title, w] : windows) {
                             if (w == id) events.push_back("close " + title);
                         }
                     },
                     [this] {
                         events.push_back("yield");
                         if (on_yield) on_yield(++yields);
                     },
                     [this](double n) { statuses.push_back(killed_status(n)); }};
    }
};

void fill(SortedList& list, std::initializer_list<const char*> titles) {
    for (const char* t : titles) list.add(make_entry(t));
}

TEST(ScannerWalk, BlacklistMajorClosingAndCountingWhatItFindsYieldingAfterEach) {
    SortedList bl;
    fill(bl, {"Win", "", "A"});
    Desk desk;
    desk.windows = {{"win - x", 7}, {" - Y", 8}, {"A", 9}};
    double kills = 10;
    walk(bl, {"X", "Y"}, 0, kills, desk.hooks());
    EXPECT_EQ(desk.events, (Events{"find  - X", "yield", "find  - Y", "close  - Y", "yield",
                                   "find A - X", "yield", "find A - Y", "yield", "find Win - X",
                                   "close win - x", "yield", "find Win - Y", "yield"}));
    EXPECT_EQ(kills, 12);
    EXPECT_EQ(desk.statuses, (Events{"  Killed 11 popup", "  Killed 12 popup"}));

    Desk none;
    SortedList empty;
    walk(empty, {"X"}, 0, kills, none.hooks());
    walk(bl, {}, 0, kills, none.hooks());
    EXPECT_TRUE(none.events.empty());
    EXPECT_EQ(kills, 12);
}

TEST(ScannerSparing, ExactlyOneMozillaEntrySparesEveryNameWithMozillaInIt) {
    SortedList bl;
    fill(bl, {"A"});
    for (int count : {0, 1, 2, 3}) {
        Desk desk;
        desk.windows = {{"A - Mozilla", 1},
                        {"A - Netscape", 2},
                        {"A - Mozilla Firefox", 3},
                        {"A - seamozilla", 4}};
        double kills = 0;
        walk(bl, {"Mozilla", "Netscape", "Mozilla Firefox", "seamozilla"}, count, kills,
             desk.hooks());
        EXPECT_EQ(kills, count == 1 ? 2 : 4) << count;
        if (count == 1) {
            EXPECT_EQ(desk.statuses.size(), 2u);
            // clang-format off
            EXPECT_EQ(desk.events, (Events{"find A - Mozilla", "yield", "find A - Netscape",
                "close A - Netscape", "yield", "find A - Mozilla Firefox", "yield",
                "find A - seamozilla", "close A - seamozilla", "yield"}));
            // clang-format on
        }
    }
    EXPECT_EQ(mozilla_count({"Page - Mozilla Firefox", "x - mozilla", "MOZILLA", "Mozilla"}), 2);
    EXPECT_EQ(killed_status(9007199254740992.0), "  Killed 9007199254740992 popup");
}

TEST(ScannerReentrancy, ListsChangingDuringTheYields) {
    SortedList bl;
    fill(bl, {"B", "D"});
    std::vector<std::string> names{"X", "Y"};
    Desk desk;
    desk.windows = {{"A - Y", 1}};
    desk.on_yield = [&](int n) {
        if (n == 1) bl.add(make_entry("A"));  // shifts B to position 1
        if (n == 1) names.push_back("Z");     // tried from the next position on
        if (n == 2) desk.windows.clear();     // closed by its owner meanwhile
        if (n == 3) bl.remove(0);             // D comes back to position 1
    };
    double kills = 0;
    walk(bl, names, 0, kills, desk.hooks());
    // The entry count (2) was read once; the third title waits for the next tick.
    EXPECT_EQ(desk.events,
              (Events{"find B - X", "yield", "find A - Y", "close A - Y", "yield", "find B - X",
                      "yield", "find D - Y", "yield", "find D - Z", "yield"}));

    desk = Desk{};
    desk.on_yield = [&](int n) {
        if (n == 1) bl.clear();  // positions that no longer exist are skipped
    };
    walk(bl, names, 0, kills, desk.hooks());
    EXPECT_EQ(desk.events, (Events{"find B - X", "yield"}));
}

}  // namespace
}  // namespace vorlix::scanner
