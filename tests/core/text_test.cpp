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

struct Title {
    std::string raw;
    std::string read;
};

class TitleReading : public ::testing::TestWithParam<Title> {};

TEST_P(TitleReading, TypographicSeparatorsAndInvisibleMarks) {
    EXPECT_EQ(normalize_title(GetParam().raw), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Table, TitleReading,
                         ::testing::Values(Title{"Page \xE2\x80\x94 Mozilla Firefox",
                                                 "Page - Mozilla Firefox"},
                                           Title{"Page \xE2\x80\x93 X", "Page - X"},
                                           Title{"Microsoft\xE2\x80\x8B Edge", "Microsoft Edge"},
                                           Title{"\xE2\x80\x8F"
                                                 "a\xE2\x80\x8D"
                                                 "b",
                                                 "ab"},
                                           // A dash that is no separator, and stray bytes, stay.
                                           Title{"1\xE2\x80\x93"
                                                 "2 \xFF",
                                                 "1\xE2\x80\x93"
                                                 "2 \xFF"},
                                           // Dropping a mark can form a separator.
                                           Title{"A \xE2\x80\x8E\xE2\x80\x94 B", "A - B"}));

}  // namespace
}  // namespace vorlix::text
