#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace vorlix::text
