#include "base/title_index.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vorlix {
namespace {

// Each step files a window (id, key, rank), removes it (no key) or clears
// all (id 0); then the first window under the probe, the keys held, and the
// key the step's window is filed under.
TEST(TitleIndex, TheFirstInRankOrderAnswersAndAKeyGoesWithItsLastWindow) {
    using Id = TitleIndex::Id;
    using Step =
        std::tuple<Id, const char*, TitleIndex::Rank, const char*, Id, std::size_t, const char*>;
    // clang-format off
    const Step steps[] = {
        {1, "a", 5, "a", 1, 1, "a"}, {2, "a", -3, "a", 2, 1, "a"},  // by rank, not order of filing
        {3, "a", -3, "a", 3, 1, "a"},                                // of equals, the last filed
        {3, "b", 0, "a", 2, 2, "b"}, {2, "a", 9, "a", 1, 2, "a"},    // moved: retitled, re-ranked
        {1, nullptr, 0, "a", 2, 2, nullptr}, {2, "b", 0, "a", 0, 1, "b"},  // the last takes its key
        {9, nullptr, 0, "b", 2, 1, nullptr}, {0, nullptr, 0, "b", 0, 0, nullptr},
        {2, "c", 0, "c", 2, 1, "c"}};
    // clang-format on
    TitleIndex index;
    for (const auto& [id, key, rank, probe, first, keys, filed] : steps) {
        id == 0 ? index.clear() : key == nullptr ? index.remove(id) : index.insert(id, key, rank);
        EXPECT_EQ(index.find(probe), first) << id << probe;
        EXPECT_EQ(index.keys(), keys) << id;
        EXPECT_STREQ(index.key_of(id) ? index.key_of(id)->c_str() : nullptr, filed) << id;
    }
}

}  // namespace
}  // namespace vorlix
