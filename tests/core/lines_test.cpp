#include "core/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlix::lines {
namespace {

using Lines = std::vector<std::string>;

std::string bytes(std::initializer_list<unsigned char> b) {
    return std::string(b.begin(), b.end());
}

TEST(LineReading, TerminatorsAndTheLastLine) {
    EXPECT_EQ(split(""), Lines{});
    EXPECT_EQ(split("\r\n"), Lines{""});
    EXPECT_EQ(split("A\r\nB\r\n"), (Lines{"A", "B"}));
    EXPECT_EQ(split("A\r\nB"), (Lines{"A", "B"}));        // no terminator on the last line
    EXPECT_EQ(split("A\rB\r"), (Lines{"A", "B"}));        // CR alone ends a line
    EXPECT_EQ(split("A\r\r\nB"), (Lines{"A", "", "B"}));  // CR, then CR LF
    EXPECT_EQ(split("\r\n\r\n"), (Lines{"", ""}));        // empty lines count
    EXPECT_EQ(split("A\n\r\nB"), (Lines{"A\n", "B"}));    // LF alone is text
    EXPECT_EQ(split(bytes({0x41, 0x0A, 0x42, 0x0A})), Lines{"A\nB\n"});  // one title of 4 bytes
    EXPECT_EQ(split("\n"), Lines{"\n"});
    EXPECT_EQ(split("  a \r\n"), Lines{"  a "});  // blanks kept
}

TEST(LineReading, ReaderStopsExactlyAtTheEnd) {
    LineReader r("x\r\ny\r");
    ASSERT_FALSE(r.eof());
    EXPECT_EQ(r.read_line(), "x");
    ASSERT_FALSE(r.eof());
    EXPECT_EQ(r.read_line(), "y");
    EXPECT_TRUE(r.eof());  // no phantom empty line after the final CR
}

TEST(LineWriting, ExactBytes) {
    EXPECT_EQ(join({"A", "B"}), bytes({0x41, 0x0D, 0x0A, 0x42, 0x0D, 0x0A}));
    EXPECT_EQ(join({}), "");
    EXPECT_EQ(join({""}), "\r\n");
    std::string out = "x";
    append_line(out, "y");
    EXPECT_EQ(out, "xy\r\n");
}

TEST(LineBytes, EveryByteValueSurvivesARoundTrip) {
    // All values except the terminators, NUL and invalid UTF-8 included.
    std::string odd;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r') odd += static_cast<char>(b);
    }
    const Lines in{odd, std::string("\0\0", 2), "\xC3\x28", "\xFF\xFE", ""};
    EXPECT_EQ(split(join(in)), in);
}

}  // namespace
}  // namespace vorlix::lines
