#include "core/sorted_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_toolkit.h"

namespace vorlix::core {
namespace {

using Entries = std::vector<std::string>;

// add_all equals adds one by one, and an attached list box always shows
// exactly the entries.
TEST(SortedList, CaseIgnoredEqualEntriesKeepTheirOrderOfArrivalAndTheViewMirrorsEveryEdit) {
    const Entries batch{"[x]", "[abc]", "[ABC]",      "[b]",       "[Abc]",
                        "[]",  "",      "[\xC3\x84]", "[\xC3\xA4]"};
    SortedList one_by_one, at_once;
    test::FakeListBox view;
    at_once.attach(&view);
    for (const auto& e : batch) one_by_one.add(e);
    EXPECT_EQ(at_once.add_all(batch), static_cast<int>(batch.size()));
    EXPECT_EQ(at_once.entries(), one_by_one.entries());
    const Entries sorted(one_by_one.entries().begin(), one_by_one.entries().begin() + 7);
    EXPECT_EQ(sorted, (Entries{"", "[]", "[abc]", "[ABC]", "[Abc]", "[b]", "[x]"}));
    EXPECT_EQ(one_by_one.at(7), "[\xC3\x84]");
    at_once.remove(3);
    at_once.add("[aBC]");
    EXPECT_EQ(view.items, at_once.entries());
    EXPECT_EQ(at_once.at(4), "[aBC]");
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
}  // namespace vorlix::core
