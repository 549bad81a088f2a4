#include "core/sorted_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"

namespace vorlix {
namespace {

using Entries = std::vector<std::string>;

TEST(SortedList, CaseIgnoredAndEqualEntriesKeepTheirOrderOfArrival) {
    SortedList list;
    for (const char* e : {"[x]", "[abc]", "[ABC]", "[b]", "[Abc]", "[]", ""}) list.add(e);
    EXPECT_EQ(list.entries(), (Entries{"", "[]", "[abc]", "[ABC]", "[Abc]", "[b]", "[x]"}));
}

// Random edits in few letters of mixed case (ä and Ä fold together), so
// that equal entries are common: add_all equals adds one by one, and an
// attached list box always shows exactly the entries.
TEST(SortedList, AddAllEqualsAddsOneByOneAndTheViewMirrorsEveryEdit) {
    std::mt19937 gen(20240601u);
    const Entries pieces{"a", "A", "b", "B", "[", "]", "\xC3\xA4", "\xC3\x84"};
    auto random_entry = [&] {
        std::string s;
        for (unsigned len = gen() % 4; len > 0; --len) s += pieces[gen() % pieces.size()];
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        Entries batch(gen() % 20);
        for (auto& e : batch) e = random_entry();
        SortedList one_by_one, at_once;
        test::FakeListBox view;
        at_once.attach(&view);
        for (const auto& e : batch) one_by_one.add(e);
        EXPECT_EQ(at_once.add_all(batch), static_cast<int>(batch.size()));
        ASSERT_EQ(at_once.entries(), one_by_one.entries()) << "round " << round;
        for (int step = 0; step < 5; ++step) {
            if (gen() % 2 == 0 && at_once.count() > 0) {
                at_once.remove(static_cast<int>(gen() % unsigned(at_once.count())));
            } else {
                at_once.add(random_entry());
            }
            ASSERT_EQ(view.items, at_once.entries()) << "round " << round;
        }
    }
}

TEST(SortedList, NeverBeyond32767AndAddAllKeepsTheFirstArrivals) {
    SortedList list;
    EXPECT_EQ(list.add_all(Entries(SortedList::kMaxEntries - 2, "[m]")),
              SortedList::kMaxEntries - 2);
    EXPECT_EQ(list.add_all({"[z]", "[y]", "[a]"}), 2);
    EXPECT_EQ(list.at(list.count() - 1), "[z]");
    EXPECT_EQ(list.at(0), "[m]");
    EXPECT_EQ(list.add("[one too many]"), -1);
    EXPECT_EQ(list.count(), SortedList::kMaxEntries);
}

TEST(ListEntry, BracketsOnAndOff) {
    EXPECT_EQ(make_entry("Win a prize"), "[Win a prize]");
    EXPECT_EQ(make_entry("[x]"), "[[x]]");
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"[[x]]", "[x]"}, {"[]", ""}, {"(t)", "t"}, {"x", ""}, {"", ""},
        {std::string("[\0\xFF]", 4), std::string("\0\xFF", 2)}};
    // clang-format on
    for (const auto& [entry, title] : cases) EXPECT_EQ(entry_title(entry), title) << entry;
}

}  // namespace
}  // namespace vorlix
