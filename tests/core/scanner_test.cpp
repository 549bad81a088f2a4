#include "core/scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/title_index.h"

namespace vorlix::core::scanner {
namespace {

using Strings = std::vector<std::string>;
using Ids = std::vector<platform::WindowId>;

// Windows by title, found by key as the window systems do; `keyed`: by keys
// taken once, when the title's key joins (the key is what is recorded).
struct Desk {
    std::map<std::string, platform::WindowId> windows;
    Strings lookups, statuses;
    Ids closed;
    platform::WindowId refuses = 0;  // no request can be sent to it
    int yields = 0;
    std::function<void(int)> on_yield;  // with the yield's number, from 1
    bool keyed = false;
    bool indexed = false;  // the windows also in an index: the walk skips what it cannot find
    TitleIndex index;
    std::map<std::string, platform::WindowId> in_index;

    platform::WindowId find(std::string key) {
        lookups.push_back(key);
        for (const auto& [title, id] : windows) {
            if (text::title_key(title) == text::title_key(key)) return id;
        }
        return 0;
    }
    Hooks hooks() {
        Hooks h{
            [this](const std::string& candidate) { return find(candidate); },
            [this](platform::WindowId id) { return id != refuses && (closed.push_back(id), true); },
            [this] { return on_yield ? on_yield(++yields) : void(++yields), true; },
            [this](double n) { statuses.push_back(killed_status(n)); }};
        if (keyed || indexed)
            h.find_keys = [this](const TitleKey& t, const TitleKey& s) {
                return find(t.text + s.text);
            };
        if (indexed)
            h.title_index = [this] {
                if (in_index != windows) {
                    index.clear();
                    for (const auto& [title, id] : windows)
                        index.insert(id, text::title_key(title), 0);
                    in_index = windows;
                }
                return &index;
            };
        return h;
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

// Over random titles made of the pieces the text tests use (case, dashes,
// invisible marks, stray bytes), windows titled with every separator: the
// keyed look-up finds exactly what the built candidate finds.
TEST(ScannerWalk, KeyedLookUpsFindWhatBuiltCandidatesFind) {
    std::mt19937 rng(19);
    // clang-format off
    const Strings pieces{"Win a prize", "Page", " ", "-", "\xE2\x80\x93", "\xE2\x80\x94",
                         "\xE2\x80\x8B", "\xE2\x80\x8F", "\xC3\x84rger", "\xCE\xA3\xCF\x82",
                         "\xC4", "\xFF", "x"};
    // clang-format on
    const Strings seps{" - ", " \xE2\x80\x93 ", " \xE2\x80\x94 ", " -\xE2\x80\x8B ", "  - "};
    const Strings names{"X", "Mozilla", "\xE2\x80\x94 Edge", "\xE2\x80\x8Bx -"};
    auto pick = [&](const Strings& from) { return from[rng() % from.size()]; };
    SortedList bl;
    for (int i = 0; i < 300; ++i) {
        std::string t;
        for (auto n = rng() % 5; n-- > 0;) t += pick(pieces);
        bl.add(make_entry(t));
    }
    TitleIndex windows;
    for (TitleIndex::Id id = 1; id <= 2000; ++id) {
        std::string t = entry_title(bl.at(static_cast<int>(rng() % 300)));
        for (char& c : t) c = rng() % 2 && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        windows.insert(id, text::title_key(t + pick(seps) + pick(names)), id % 5);
        if (id % 3 == 0) windows.remove(id - 1);
    }
    int keyed = 0;
    // 0: built, 1: keyed, 2: keyed where the index shows a window
    auto found_by = [&](int way) {
        Ids found, hits;
        Hooks hooks{[&](const std::string& c) {
                        return found.emplace_back(windows.find(text::title_key(c)));
                    },
                    [&](platform::WindowId id) { return hits.push_back(id), false; },
                    {},
                    {}};
        if (way > 0)
            hooks.find_keys = [&](const TitleKey& title, const TitleKey& suffix) {
                return ++keyed, found.emplace_back(windows.find(title, suffix));
            };
        if (way > 1) hooks.title_index = [&] { return &windows; };
        double kills = 0;
        walk(bl, names, 0, kills, hooks);
        return std::pair{found, hits};
    };
    const auto [plain, hits] = found_by(0);
    EXPECT_EQ(found_by(1).first, plain);
    EXPECT_LT(keyed, static_cast<int>(plain.size()));  // titles ending in a blank and a dash: built
    const auto [asked, indexed_hits] = found_by(2);
    EXPECT_EQ(indexed_hits, hits);
    EXPECT_GT(hits.size(), 200u);
    EXPECT_LT(asked.size(), plain.size());
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
    for (const int way : {0, 1, 2}) {  // built, keyed, indexed
        SortedList bl;
        fill(bl, {"B", "D"});
        Strings names{"X", "Y"};
        Desk desk;
        desk.keyed = way == 1;
        desk.indexed = way == 2;
        desk.windows = {{"A - Y", 1}};
        desk.on_yield = [&](int n) {
            if (n == 1) bl.add(make_entry("A"));  // shifts B to position 1
            if (n == 1) names.push_back("Z");     // tried from the next position on
            if (n == 2) desk.windows.clear();     // closed by its owner meanwhile
            if (n == 3) bl.remove(0);             // D comes back to position 1
            if (n == 4) desk.windows["d - z"] = 2;
        };
        double kills = 0;
        walk(bl, names, 0, kills, desk.hooks());
        // The entry count (2) was read once; the third title waits for the next tick.
        Strings expected{"B - X", "A - Y", "B - X", "D - Y", "D - Z"};
        if (way == 2) expected = {"A - Y", "D - Z"};  // what the index shows
        if (way > 0) std::ranges::transform(expected, expected.begin(), text::title_key);
        EXPECT_EQ(desk.lookups, expected) << way;
        EXPECT_EQ(desk.closed, (Ids{1, 2})) << way;
        EXPECT_EQ(desk.yields, 5) << way;
    }
}

}  // namespace
}  // namespace vorlix::core::scanner
