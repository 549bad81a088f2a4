#include "core/sorted_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "recording_list_view.h"

namespace vorlix {
namespace {

using Entries = std::vector<std::string>;
using test::RecordingListView;

TEST(SortedListOrder, CaseIgnoredAscending) {
    SortedList list;
    EXPECT_EQ(list.add("[b]"), 0);
    EXPECT_EQ(list.add("[A]"), 0);
    EXPECT_EQ(list.add("[c]"), 2);
    EXPECT_EQ(list.entries(), (Entries{"[A]", "[b]", "[c]"}));
}

TEST(SortedListOrder, EqualEntriesKeepTheirOrderOfArrival) {
    SortedList list;
    list.add("[x]");
    list.add("[abc]");
    EXPECT_EQ(list.add("[ABC]"), 1);  // after the equal one, not before
    EXPECT_EQ(list.add("[Abc]"), 2);
    EXPECT_EQ(list.add("[abc]"), 3);
    EXPECT_EQ(list.entries(), (Entries{"[abc]", "[ABC]", "[Abc]", "[abc]", "[x]"}));
    EXPECT_EQ(list.add("[]"), 0);
    EXPECT_EQ(list.add(""), 0);  // shorter sorts first, whatever the brackets
}

TEST(SortedListOrder, AddAllEqualsOneByOneForRandomInput) {
    // Few distinct letters in mixed case (ä and Ä fold together), so that
    // equal entries are common.
    std::mt19937 gen(20240601u);
    const std::vector<std::string> pieces{"a", "A", "b",        "B",       "c",
                                          "[", "]", "\xC3\xA4", "\xC3\x84"};
    for (int round = 0; round < 200; ++round) {
        auto random_entry = [&] {
            std::string s;
            for (unsigned len = gen() % 4; len > 0; --len) s += pieces[gen() % pieces.size()];
            return s;
        };
        Entries existing(gen() % 12), batch(gen() % 20);
        for (auto& e : existing) e = random_entry();
        for (auto& e : batch) e = random_entry();

        SortedList one_by_one, at_once;
        for (const auto& e : existing) {
            one_by_one.add(e);
            at_once.add(e);
        }
        for (const auto& e : batch) one_by_one.add(e);
        RecordingListView view;
        at_once.attach(&view);
        view.clears = 0;
        EXPECT_EQ(at_once.add_all(batch), static_cast<int>(batch.size()));
        ASSERT_EQ(at_once.entries(), one_by_one.entries()) << "round " << round;
        EXPECT_EQ(view.shown, at_once.entries());
        EXPECT_LE(view.clears, 1);
    }
}

TEST(SortedListCapacity, NeverBeyond32767) {
    SortedList list;
    Entries many(SortedList::kMaxEntries - 1);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = "[" + std::to_string(i % 977) + "]";
    EXPECT_EQ(list.add_all(many), SortedList::kMaxEntries - 1);
    EXPECT_GE(list.add("[last]"), 0);
    EXPECT_EQ(list.add("[one too many]"), -1);
    EXPECT_EQ(list.count(), SortedList::kMaxEntries);
    EXPECT_EQ(list.add_all({"[a]"}), 0);

    // add_all keeps the first arrivals, as one-by-one adds would.
    SortedList partly;
    partly.add_all(Entries(SortedList::kMaxEntries - 2, "[m]"));
    EXPECT_EQ(partly.add_all({"[z]", "[y]", "[a]"}), 2);
    EXPECT_EQ(partly.at(partly.count() - 1), "[z]");
    EXPECT_EQ(partly.at(partly.count() - 2), "[y]");
    EXPECT_EQ(partly.at(0), "[m]");
}

TEST(SortedListCapacity, StartUpSizedLoadIsFast) {
    std::mt19937 gen(7u);
    Entries titles(SortedList::kMaxEntries);
    for (auto& t : titles) t = "[Title " + std::to_string(gen()) + "]";
    SortedList list;
    RecordingListView view;
    list.attach(&view);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(list.add_all(titles), SortedList::kMaxEntries);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 2000) << "add_all of 32767 titles took " << ms << " ms";
    EXPECT_EQ(view.shown, list.entries());
    EXPECT_EQ(view.clears, 2);  // one at attach, one refill
}

TEST(SortedListView, MirrorAlwaysEqualsTheEntries) {
    std::mt19937 gen(99u);
    SortedList list;
    list.add("[before attach]");
    RecordingListView view;
    list.attach(&view);
    EXPECT_EQ(view.shown, list.entries());
    for (int step = 0; step < 500; ++step) {
        const unsigned what = gen() % 10;
        if (what < 5) {
            list.add("[" + std::string(1, static_cast<char>('a' + gen() % 5)) + "]");
        } else if (what < 8 && list.count() > 0) {
            list.remove(static_cast<int>(gen() % static_cast<unsigned>(list.count())));
        } else if (what == 8) {
            list.add_all({"[C]", "[a]", "[c]"});
        } else if (gen() % 10 == 0) {
            list.clear();
        }
        ASSERT_EQ(view.shown, list.entries()) << "step " << step;
    }
    list.attach(nullptr);
    list.add("[after detach]");
    EXPECT_NE(view.shown, list.entries());
}

TEST(ListEntry, BracketsOnAndOff) {
    EXPECT_EQ(make_entry("Win a prize"), "[Win a prize]");
    EXPECT_EQ(make_entry(""), "[]");
    EXPECT_EQ(make_entry("[x]"), "[[x]]");
    EXPECT_EQ(entry_title("[[x]]"), "[x]");
    EXPECT_EQ(entry_title("[]"), "");
    EXPECT_EQ(entry_title("ab"), "");
    EXPECT_EQ(entry_title("(t)"), "t");  // the first and last character, whatever they are
    EXPECT_EQ(entry_title("x"), "");     // too short: no title, never out of bounds
    EXPECT_EQ(entry_title(""), "");
    const std::string odd("[\0\xFF]", 4);
    EXPECT_EQ(entry_title(odd), std::string("\0\xFF", 2));
}

}  // namespace
}  // namespace vorlix
