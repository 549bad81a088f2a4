#include "base/text.h"
#include "base/title_index.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace vorlix::text {
namespace {

TEST(Collation, IgnoresCaseAcrossScriptsAndKeepsStrayBytesApart) {
    EXPECT_LT(compare_ignore_case("[A]", "[b]"), 0);
    EXPECT_EQ(compare_ignore_case("\xC3\x84RGER - x", "\xC3\xA4rger - X"), 0);  // Ä / ä
    EXPECT_EQ(compare_ignore_case("\xD0\x9F\xD0\xA0\xD0\x98", "\xD0\xBF\xD1\x80\xD0\xB8"), 0);
    EXPECT_EQ(compare_ignore_case("\xCE\xA3", "\xCF\x82"), 0);  // Σ and final ς
    EXPECT_LT(compare_ignore_case("ab", "abc"), 0);
    EXPECT_NE(compare_ignore_case("\xC4", "\xC3\x84"), 0);
    EXPECT_NE(compare_ignore_case("\xC4", "\xC5"), 0);
    EXPECT_EQ(fold_case("A\xFF\xC3\x84"), "a\xFF\xC3\xA4");
    EXPECT_EQ(fold_case("\xC3"), "\xC3");
}

TEST(TitleReading, TypographicSeparatorsAndInvisibleMarks) {
    // A dash that is no separator, and stray bytes, stay; dropping a mark can
    // form a separator.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"Page \xE2\x80\x94 Mozilla Firefox", "Page - Mozilla Firefox"},
        {"Page \xE2\x80\x93 X", "Page - X"}, {"Microsoft\xE2\x80\x8B Edge", "Microsoft Edge"},
        {"\xE2\x80\x8F" "a\xE2\x80\x8D" "b", "ab"},
        {"1\xE2\x80\x93" "2 \xFF", "1\xE2\x80\x93" "2 \xFF"}, {"A \xE2\x80\x8E\xE2\x80\x94 B", "A - B"}};
    // clang-format on
    for (const auto& [raw, read] : cases) EXPECT_EQ(normalize_title(raw), read);
}

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
        EXPECT_EQ(index.find(TitleKey(probe), TitleKey("")), first) << id << probe;  // by hash
        EXPECT_EQ(index.keys(), keys) << id;
        EXPECT_STREQ(index.key_of(id) ? index.key_of(id)->c_str() : nullptr, filed) << id;
    }
}

}  // namespace
}  // namespace vorlix::text
