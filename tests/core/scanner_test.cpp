#include "core/scanner.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/text.h"

namespace vorlix::core::scanner {
namespace {

using Strings = std::vector<std::string>;
using Ids = std::vector<platform::WindowId>;

// Windows by title, found ignoring case as the window systems do.
struct Desk {
    std::map<std::string, platform::WindowId> windows;
    Strings lookups, statuses;
    Ids closed;
    platform::WindowId refuses = 0;  // no request can be sent to it
    int yields = 0;
    std::function<void(int)> on_yield;  // with the yield's number, from 1

    Hooks hooks() {
        return Hooks{
            [this](const std::string& candidate) -> platform::WindowId {
                lookups.push_back(candidate);
                for (const auto& [title, id] : windows) {
                    if (text::equal_ignore_case(title, candidate)) return id;
                }
                return 0;
            },
            [this](platform::WindowId id) { return id != refuses && (closed.push_back(id), true); },
            [this] { on_yield ? on_yield(++yields) : void(++yields); },
            [this](double n) { statuses.push_back(killed_status(n)); }};
    }
};

void fill(SortedList& list, std::initializer_list<const char*> titles) {
    for (const char* t : titles) list.add(make_entry(t));
}

TEST(ScannerWalk, EveryTitleWithEveryNameYieldingAfterEachLookUpClosingAndCounting) {
    SortedList bl;
    fill(bl, {"Win", "A"});
    Desk desk;
    desk.windows = {{"win - x", 7}, {"A - Y", 9}, {"A", 5}, {"Win - Y", 3}};
    desk.refuses = 3;  // found, but never asked: neither counted nor shown
    double kills = 10;
    walk(bl, {"X", "Y"}, 0, kills, desk.hooks());
    EXPECT_EQ(desk.lookups, (Strings{"A - X", "A - Y", "Win - X", "Win - Y"}));
    EXPECT_EQ(desk.yields, 4);
    EXPECT_EQ(desk.closed, (Ids{9, 7}));
    EXPECT_EQ(kills, 12);
    EXPECT_EQ(desk.statuses, (Strings{"  Killed 11 popup", "  Killed 12 popup"}));
    EXPECT_EQ(killed_status(9007199254740992.0), "  Killed 9007199254740992 popup");
}

TEST(ScannerSparing, ExactlyOneMozillaEntrySparesEveryNameWithMozillaInIt) {
    SortedList bl;
    fill(bl, {"A"});
    for (int count : {0, 1, 2}) {
        Desk desk;
        desk.windows = {{"A - Mozilla", 1},
                        {"A - Netscape", 2},
                        {"A - Mozilla Firefox", 3},
                        {"A - seamozilla", 4}};
        double kills = 0;
        walk(bl, {"Mozilla", "Netscape", "Mozilla Firefox", "seamozilla"}, count, kills,
             desk.hooks());
        EXPECT_EQ(desk.closed, (count == 1 ? Ids{2, 4} : Ids{1, 2, 3, 4})) << count;
    }
    EXPECT_EQ(mozilla_count({"Page - Mozilla Firefox", "x - mozilla", "MOZILLA", "Mozilla"}), 2);
}

TEST(ScannerReentrancy, ListsChangingDuringTheYields) {
    SortedList bl;
    fill(bl, {"B", "D"});
    Strings names{"X", "Y"};
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
    EXPECT_EQ(desk.lookups, (Strings{"B - X", "A - Y", "B - X", "D - Y", "D - Z"}));
    EXPECT_EQ(desk.closed, Ids{1});
}

}  // namespace
}  // namespace vorlix::core::scanner
