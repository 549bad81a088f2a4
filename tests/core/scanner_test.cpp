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

// Windows by title; a look-up ignores case like the real window systems.
// Every look-up, close and yield lands in `events`.
struct Desk {
    std::map<std::string, platform::WindowId> windows;
    Events events;
    std::vector<std::string> statuses;
    std::function<void(int)> on_yield;  // with the number of the yield, from 1
    int yields = 0;

    Hooks hooks() {
        Hooks h;
        h.find = [this](const std::string& candidate) -> platform::WindowId {
            events.push_back("find " + candidate);
            for (const auto& [title, id] : windows) {
                if (text::equal_ignore_case(title, candidate)) return id;
            }
            return 0;
        };
        h.post_close = [this](platform::WindowId id) {
            events.push_back("close " + std::to_string(id));
        };
        h.yield = [this] {
            events.push_back("yield");
            ++yields;
            if (on_yield) on_yield(yields);
        };
        h.killed = [this](double n) { statuses.push_back(killed_status(n)); };
        return h;
    }
};

void fill(SortedList& list, std::initializer_list<const char*> titles) {
    for (const char* t : titles) list.add(make_entry(t));
}

TEST(ScannerWalk, BlacklistMajorWithAYieldAfterEveryLookUp) {
    SortedList bl;
    fill(bl, {"B", "A"});
    Desk desk;
    double kills = 0;
    walk(bl, {"X", "Y"}, 0, kills, desk.hooks());
    EXPECT_EQ(desk.events, (Events{"find A - X", "yield", "find A - Y", "yield", "find B - X",
                                   "yield", "find B - Y", "yield"}));
    EXPECT_EQ(kills, 0);
    EXPECT_TRUE(desk.statuses.empty());
}

TEST(ScannerWalk, EmptyListsMakeNoLookUp) {
    SortedList bl;
    Desk desk;
    double kills = 5;
    walk(bl, {"X"}, 0, kills, desk.hooks());
    fill(bl, {"A"});
    walk(bl, {}, 0, kills, desk.hooks());
    EXPECT_TRUE(desk.events.empty());
    EXPECT_EQ(kills, 5);
}

TEST(ScannerWalk, ClosesAndCountsWhatItFinds) {
    SortedList bl;
    fill(bl, {"Win a prize", "", "A", "A"});
    Desk desk;
    desk.windows = {{"win a prize - microsoft internet explorer", 7},  // case ignored
                    {" - Microsoft Internet Explorer", 8},             // the empty title
                    {"A", 9}};  // no suffix: never closed through [A]
    double kills = 10;
    walk(bl, {"Microsoft Internet Explorer"}, 0, kills, desk.hooks());
    EXPECT_EQ(desk.events,
              (Events{"find  - Microsoft Internet Explorer", "close 8", "yield",
                      "find A - Microsoft Internet Explorer", "yield",
                      "find A - Microsoft Internet Explorer", "yield",
                      "find Win a prize - Microsoft Internet Explorer", "close 7", "yield"}));
    EXPECT_EQ(kills, 12);
    EXPECT_EQ(desk.statuses, (Events{"  Killed 11 popup", "  Killed 12 popup"}));
}

TEST(ScannerWalk, SameTitleTwiceIsClosedTwiceWhileItStays) {
    SortedList bl;
    fill(bl, {"A", "a"});
    Desk desk;
    desk.windows = {{"A - X", 3}};
    double kills = 0;
    walk(bl, {"X"}, 0, kills, desk.hooks());
    EXPECT_EQ(kills, 2);
    EXPECT_EQ(desk.events,
              (Events{"find A - X", "close 3", "yield", "find a - X", "close 3", "yield"}));
}

TEST(ScannerSparing, OneMozillaEntrySparesEveryMozillaName) {
    SortedList bl;
    fill(bl, {"A"});
    const std::vector<std::string> names{"Mozilla", "Netscape", "Mozilla Firefox", "seamozilla"};
    for (int count : {0, 1, 2, 3}) {
        Desk desk;
        desk.windows = {{"A - Mozilla", 1},
                        {"A - Netscape", 2},
                        {"A - Mozilla Firefox", 3},
                        {"A - seamozilla", 4}};
        double kills = 0;
        walk(bl, names, count, kills, desk.hooks());
        int closes = 0;
        bool closed_mozilla = false;
        for (const auto& e : desk.events) {
            if (e.rfind("close", 0) == 0) ++closes;
            if (e == "close 1" || e == "close 3") closed_mozilla = true;
        }
        // Found windows are looked up either way; only the close is spared.
        EXPECT_EQ(desk.yields, 4) << count;
        // "seamozilla", in lower case, is not a Mozilla name: closed even when sparing.
        EXPECT_EQ(closes, count == 1 ? 2 : 4) << count;
        EXPECT_EQ(closed_mozilla, count != 1) << count;
        EXPECT_EQ(kills, closes);
    }
}

TEST(ScannerSparing, MozillaCountIsCaseSensitive) {
    EXPECT_EQ(mozilla_count({"Page - Mozilla Firefox", "x - mozilla", "MOZILLA", "Mozilla"}), 2);
    EXPECT_EQ(mozilla_count({}), 0);
    EXPECT_TRUE(mentions_mozilla("SeaMozillaMonkey"));
    EXPECT_FALSE(mentions_mozilla("Mozill a"));
}

TEST(ScannerStatus, KilledLinePlainDigits) {
    EXPECT_EQ(killed_status(1), "  Killed 1 popup");
    EXPECT_EQ(killed_status(12), "  Killed 12 popup");
    EXPECT_EQ(killed_status(0), "  Killed 0 popup");
    EXPECT_EQ(killed_status(1234567), "  Killed 1234567 popup");  // no grouping, no exponent
    EXPECT_EQ(killed_status(9007199254740992.0), "  Killed 9007199254740992 popup");
}

TEST(ScannerReentrancy, BlacklistShrinkingDuringAYieldEndsCleanly) {
    SortedList bl;
    fill(bl, {"A", "B", "C"});
    Desk desk;
    desk.on_yield = [&](int n) {
        if (n == 2) {
            bl.remove(2);  // C
            bl.remove(1);  // B
        }
    };
    double kills = 0;
    walk(bl, {"X", "Y"}, 0, kills, desk.hooks());
    // Position 1 and 2 no longer exist: skipped, not read out of bounds.
    EXPECT_EQ(desk.events, (Events{"find A - X", "yield", "find A - Y", "yield"}));
}

TEST(ScannerReentrancy, EntriesReadAtTheirPositionAfterEachYield) {
    SortedList bl;
    fill(bl, {"B", "D"});
    Desk desk;
    desk.on_yield = [&](int n) {
        if (n == 1) bl.add(make_entry("A"));  // shifts B to position 1
        if (n == 3) bl.remove(0);             // A goes again: D comes back to position 1
    };
    double kills = 0;
    walk(bl, {"X", "Y"}, 0, kills, desk.hooks());
    // The count (2) was read once; the third title is left for the next tick.
    EXPECT_EQ(desk.events, (Events{"find B - X", "yield", "find A - Y", "yield", "find B - X",
                                   "yield", "find D - Y", "yield"}));
}

TEST(ScannerReentrancy, TitlesAddedDuringTheWalkWaitForTheNextTick) {
    SortedList bl;
    fill(bl, {"A", "B"});
    Desk desk;
    desk.on_yield = [&](int n) {
        if (n == 1) bl.add(make_entry("Z"));  // lands at position 2, beyond the count
    };
    double kills = 0;
    walk(bl, {"X"}, 0, kills, desk.hooks());
    EXPECT_EQ(desk.events, (Events{"find A - X", "yield", "find B - X", "yield"}));
}

TEST(ScannerReentrancy, NamesLearnedDuringAYieldCountFromTheNextPosition) {
    SortedList bl;
    fill(bl, {"A", "B"});
    std::vector<std::string> names{"X"};
    Desk desk;
    desk.on_yield = [&](int n) {
        if (n == 1) {
            for (int i = 0; i < 40; ++i) names.push_back("N" + std::to_string(i));  // reallocates
        }
    };
    double kills = 0;
    walk(bl, names, 0, kills, desk.hooks());
    ASSERT_EQ(desk.events.size(), 2u + 2u * 41u);
    EXPECT_EQ(desk.events[0], "find A - X");
    EXPECT_EQ(desk.events[2], "find B - X");
    EXPECT_EQ(desk.events[4], "find B - N0");
    EXPECT_EQ(desk.events.back(), "yield");
    EXPECT_EQ(desk.events[desk.events.size() - 2], "find B - N39");
}

TEST(ScannerReentrancy, WindowClosedOrOpenedBetweenLookUps) {
    SortedList bl;
    fill(bl, {"A", "B"});
    Desk desk;
    desk.windows = {{"A - X", 1}};
    desk.on_yield = [&](int n) {
        if (n == 1) {
            desk.windows.erase("A - X");
            desk.windows["B - X"] = 2;
        }
    };
    double kills = 0;
    walk(bl, {"X"}, 0, kills, desk.hooks());
    EXPECT_EQ(desk.events,
              (Events{"find A - X", "close 1", "yield", "find B - X", "close 2", "yield"}));
    EXPECT_EQ(desk.statuses, (Events{"  Killed 1 popup", "  Killed 2 popup"}));
}

}  // namespace
}  // namespace vorlix::scanner
