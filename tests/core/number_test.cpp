#include "core/number.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vorlix::number {
namespace {

struct Case {
    const char* text;
    double value;
};

TEST(LenientNumber, ReadsWhatTheUserWrote) {
    const Case cases[] = {
        {"2500", 2500},  {" 2 500 ms", 2500},  // blanks between digits ignored, stops at m
        {"abc", 0},                            // no digits
        {"", 0},         {"\t1\n0 0", 100},    // tabs and line feeds ignored too
        {"-42", -42},    {"+ 7", 7},
        {"- 1 5", -15},  {"3.25", 3.25},
        {".5", 0.5},     {"1.", 1},
        {".", 0},        {"-", 0},
        {"1.2.3", 1.2},  // a second point cannot continue
        {"1e3", 1000},   {"1E+3", 1000},
        {"25E-1", 2.5},  {"1 E 2", 100},
        {"1E", 1},  // exponent without digits: the mantissa stands
        {"1E+", 1},      {"E5", 0},
        {"0.000", 0},    {"007", 7},
        {"12,5", 12},  // comma is not a decimal point in any locale
        {"1D2", 1},    // only E makes an exponent
        {"&H1F", 31},    {"&hff", 255},
        {"& h 1 0", 16}, {"&HFFFF", 65535},  // unsigned
        {"&HG", 0},      {"&O17", 15},
        {"&o777", 511},  {"&O78", 7},  // 8 is no octal digit
        {"&X1", 0},      {"&", 0},
        {"-&H10", 0},                 // a sign cannot precede the ampersand form
        {"0x10", 0},     {"\r5", 0},  // CR is no blank
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(read_lenient(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(LenientNumber, ExactDecimalConversion) {
    // Digits are converted once, correctly rounded, not accumulated.
    EXPECT_EQ(read_lenient("0.1"), 0.1);
    EXPECT_EQ(read_lenient("123456789012345678901234567890"), 123456789012345678901234567890.0);
    EXPECT_EQ(read_lenient("0.000000000000000000000000000001"), 1e-30);
    EXPECT_EQ(read_lenient("2.5e-1"), 0.25);
}

TEST(LenientNumber, HugeAndTinyDoNotOverflow) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(read_lenient("1E400"), inf);
    EXPECT_EQ(read_lenient("-1E400"), -inf);
    EXPECT_EQ(read_lenient("1E99999999999999999999999"), inf);
    EXPECT_EQ(read_lenient("1E-99999999999999999999999"), 0.0);
    EXPECT_EQ(read_lenient("0E99999"), 0.0);
    EXPECT_EQ(read_lenient("1E308"), 1e308);
    EXPECT_EQ(read_lenient("1E-320"), 1e-320);  // subnormal, still read
    EXPECT_EQ(read_lenient(std::string(1000, '9') + "E-1000"), 1.0);
    EXPECT_EQ(read_lenient("0." + std::string(500, '0') + "1E501"), 1.0);
    EXPECT_EQ(read_lenient("&H" + std::string(300, 'F')), inf);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(round_half_even(1.5), 2);
    EXPECT_EQ(round_half_even(2.5), 2);
    EXPECT_EQ(round_half_even(3.5), 4);
    EXPECT_EQ(round_half_even(0.5), 0);
    EXPECT_EQ(round_half_even(-0.5), 0);
    EXPECT_EQ(round_half_even(-1.5), -2);
    EXPECT_EQ(round_half_even(-2.5), -2);
    EXPECT_EQ(round_half_even(2.4999999999999996), 2);
    EXPECT_EQ(round_half_even(2.5000000000000004), 3);
    EXPECT_EQ(round_half_even(-0.49999999999999994), 0);
    EXPECT_EQ(round_half_even(0.49999999999999994), 0);
    EXPECT_EQ(round_half_even(-3.5), -4);
    EXPECT_EQ(round_half_even(4.5), 4);
    EXPECT_EQ(round_half_even(-2.6), -3);
    EXPECT_EQ(round_half_even(4503599627370497.0), 4503599627370497);  // 2^52 + 1
    EXPECT_EQ(round_half_even(-9223372036854775808.0), std::numeric_limits<long long>::min());
    EXPECT_EQ(round_half_even(9223372036854775808.0), std::nullopt);
    EXPECT_EQ(round_half_even(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(round_half_even(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

TEST(ConfigInterval, LabelThenNumber) {
    EXPECT_EQ(interval_from_config("Timer=2500"), 2500);
    EXPECT_EQ(interval_from_config("123456 2 500 ms"), 2500);
    EXPECT_EQ(interval_from_config("LABEL:"), 0);       // exactly six characters
    EXPECT_EQ(interval_from_config("LABEL:abc"), 0);    // no digits: the timer stays silent
    EXPECT_EQ(interval_from_config("123456789"), 789);  // the label is never read
    EXPECT_EQ(interval_from_config("LABEL:2.5"), 2);
    EXPECT_EQ(interval_from_config("LABEL:3.5"), 4);
    EXPECT_EQ(interval_from_config("LABEL:&H3E8"), 1000);
}

TEST(ConfigInterval, DefaultWhereTheTimerCannotTakeTheValue) {
    EXPECT_EQ(interval_from_config(std::nullopt), kDefaultIntervalMs);
    EXPECT_EQ(interval_from_config(""), kDefaultIntervalMs);
    EXPECT_EQ(interval_from_config("LABEL"), kDefaultIntervalMs);  // five characters
    EXPECT_EQ(interval_from_config("LABEL:-1"), kDefaultIntervalMs);
    EXPECT_EQ(interval_from_config("LABEL:2147483647"), 2147483647);
    EXPECT_EQ(interval_from_config("LABEL:2147483647.5"), kDefaultIntervalMs);  // rounds up
    EXPECT_EQ(interval_from_config("LABEL:2147483648"), kDefaultIntervalMs);
    EXPECT_EQ(interval_from_config("LABEL:1E30"), kDefaultIntervalMs);
    EXPECT_EQ(interval_from_config("LABEL:1E999"), kDefaultIntervalMs);
    EXPECT_EQ(interval_from_config("LABEL:-0.4"), 0);  // rounds to zero, which the timer takes
}

}  // namespace
}  // namespace vorlix::number
