#include "core/number.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/data_files.h"
#include "fakes/fake_file_system.h"

namespace vorlix::core::number {
namespace {

const double kInf = std::numeric_limits<double>::infinity();

struct Reading {
    std::string text;
    double value;
};

// Blanks, tabs and LFs ignored; sign, point, exponent; &H and &O; stops at
// the first character that cannot continue; huge and tiny stay finite or 0.
// clang-format off
const Reading kReadings[] = {
    {"2500", 2500}, {" 2 500 ms", 2500}, {"\t1\n0 0", 100}, {"abc", 0}, {"", 0}, {"- 1 5", -15},
    {"3.25", 3.25}, {".5", 0.5}, {"1.2.3", 1.2}, {"1E+3", 1000}, {"25E-1", 2.5}, {"1E", 1},
    {"12,5", 12}, {"&H1F", 31}, {"& h 1 0", 16}, {"&HG", 0}, {"&O17", 15}, {"&O78", 7},
    {"-&H10", 0}, {"0x10", 0}, {"\r5", 0}, {"1E400", kInf}, {"1E-99999999999999999999999", 0.0},
    {std::string(1000, '9') + "E-1000", 1.0}, {"&H" + std::string(300, 'F'), kInf}};
// clang-format on

class LenientNumber : public ::testing::TestWithParam<Reading> {};

TEST_P(LenientNumber, ReadsWhatTheUserWrote) {
    EXPECT_EQ(read_lenient(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, LenientNumber, ::testing::ValuesIn(kReadings));

// The whole path: the file's first line, its six-character label, the
// number, the range a timer takes (else 3000 ms).
// clang-format off
const std::pair<const char*, int> kConfigs[] = {
    {"Timer=2500\r\nTimer=1\r\n", 2500}, {"123456 2 500 ms", 2500}, {"Timer=\r\n", 0},
    {"123456789", 789}, {"LABEL:2.5", 2}, {"LABEL:3.5", 4}, {"LABEL:&H3E8", 1000},
    {"Timer=1\n2\r\n", 12}, {"Timer=1\r2", 1}, {"LABEL:2147483647", 2147483647}, {"", 3000},
    {"\r\nTimer=100", 3000}, {"LABEL:-1", 3000}, {"LABEL:2147483648", 3000}, {"LABEL:1E400", 3000},
    // The label is six characters however many bytes each takes.
    {"Dur\xC3\xA9" "e=2000", 2000}, {"Gr\xC3\xB6\xC3\x9F" "e:2000", 2000},
    {"Gr\xC3\xB6\xC3\x9F" "e", 3000}, {"\xF0\x9F\x95\x91wait=750", 750},
    {"Dur\xE9" "e=2000", 2000}, {"\xE2\x80" "abcd5", 5}};
// clang-format on

class ConfigInterval : public ::testing::TestWithParam<std::pair<const char*, int>> {};

TEST_P(ConfigInterval, FromTheFirstLineOfTheFile) {
    test::FakeFileSystem fs;
    fs.add_file("/a/Vorlix.cfg", GetParam().first);
    EXPECT_EQ(data_files::read_interval(fs, "/a/Vorlix.cfg"), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigInterval, ::testing::ValuesIn(kConfigs));

}  // namespace
}  // namespace vorlix::core::number
