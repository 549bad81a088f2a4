#include "core/number.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/data_files.h"
#include "fakes/fake_file_system.h"

namespace vorlix::number {
namespace {

const double kInf = std::numeric_limits<double>::infinity();

struct Reading {
    std::string text;
    double value;
};

class LenientNumber : public ::testing::TestWithParam<Reading> {};

TEST_P(LenientNumber, ReadsWhatTheUserWrote) {
    EXPECT_EQ(read_lenient(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, LenientNumber,
    ::testing::Values(Reading{"2500", 2500}, Reading{" 2 500 ms", 2500}, Reading{"\t1\n0 0", 100},
                      Reading{"abc", 0}, Reading{"", 0}, Reading{"-42", -42}, Reading{"+ 7", 7},
                      Reading{"- 1 5", -15}, Reading{"3.25", 3.25}, Reading{".5", 0.5},
                      Reading{"1.", 1}, Reading{".", 0}, Reading{"-", 0}, Reading{"1.2.3", 1.2},
                      Reading{"1e3", 1000}, Reading{"1E+3", 1000}, Reading{"25E-1", 2.5},
                      Reading{"1 E 2", 100}, Reading{"1E", 1}, Reading{"1E+", 1}, Reading{"E5", 0},
                      Reading{"007", 7}, Reading{"12,5", 12}, Reading{"1D2", 1},
                      Reading{"&H1F", 31}, Reading{"&hff", 255}, Reading{"& h 1 0", 16},
                      Reading{"&HFFFF", 65535}, Reading{"&HG", 0}, Reading{"&O17", 15},
                      Reading{"&O78", 7}, Reading{"&X1", 0}, Reading{"&", 0}, Reading{"-&H10", 0},
                      Reading{"0x10", 0}, Reading{"\r5", 0}, Reading{"0.1", 0.1},
                      Reading{"2.5e-1", 0.25},
                      Reading{"123456789012345678901234567890", 123456789012345678901234567890.0},
                      Reading{"0.000000000000000000000000000001", 1e-30}, Reading{"1E400", kInf},
                      Reading{"-1E400", -kInf}, Reading{"1E99999999999999999999999", kInf},
                      Reading{"1E-99999999999999999999999", 0.0}, Reading{"0E99999", 0.0},
                      Reading{"1E-320", 1e-320}, Reading{std::string(1000, '9') + "E-1000", 1.0},
                      Reading{"0." + std::string(500, '0') + "1E501", 1.0},
                      Reading{"&H" + std::string(300, 'F'), kInf}));

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double value;
        std::optional<long long> rounded;
    } cases[] = {{1.5, 2},
                 {2.5, 2},
                 {3.5, 4},
                 {0.5, 0},
                 {-0.5, 0},
                 {-1.5, -2},
                 {-2.5, -2},
                 {-2.6, -3},
                 {2.4999999999999996, 2},
                 {2.5000000000000004, 3},
                 {0.49999999999999994, 0},
                 {4503599627370497.0, 4503599627370497},  // 2^52 + 1
                 {-9223372036854775808.0, std::numeric_limits<long long>::min()},
                 {9223372036854775808.0, std::nullopt},
                 {kInf, std::nullopt},
                 {std::numeric_limits<double>::quiet_NaN(), std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(round_half_even(c.value), c.rounded) << c.value;
}

struct Config {
    const char* bytes;
    int interval;
};

class ConfigInterval : public ::testing::TestWithParam<Config> {};

// The whole path: the file's first line, its label, the number, the range.
TEST_P(ConfigInterval, FromTheFirstLineOfTheFile) {
    test::FakeFileSystem fs;
    fs.add_file("/a/Vorlix.cfg", GetParam().bytes);
    EXPECT_EQ(data_files::read_interval(fs, "/a/Vorlix.cfg"), GetParam().interval);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigInterval,
    ::testing::Values(Config{"Timer=2500\r\nTimer=1\r\n", 2500}, Config{"Timer=2500", 2500},
                      Config{"123456 2 500 ms", 2500}, Config{"Timer=\r\n", 0},
                      Config{"LABEL:abc", 0}, Config{"123456789", 789}, Config{"LABEL:2.5", 2},
                      Config{"LABEL:3.5", 4}, Config{"LABEL:&H3E8", 1000},
                      Config{"Timer=1\n2\r\n", 12}, Config{"Timer=1\r2", 1},
                      Config{"LABEL:-0.4", 0}, Config{"LABEL:2147483647", 2147483647},
                      Config{"", kDefaultIntervalMs}, Config{"\r\nTimer=100", kDefaultIntervalMs},
                      Config{"LABEL", kDefaultIntervalMs}, Config{"LABEL:-1", kDefaultIntervalMs},
                      Config{"LABEL:2147483647.5", kDefaultIntervalMs},
                      Config{"LABEL:2147483648", kDefaultIntervalMs},
                      Config{"LABEL:1E999", kDefaultIntervalMs}));

}  // namespace
}  // namespace vorlix::number
