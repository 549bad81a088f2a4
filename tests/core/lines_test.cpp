#include "core/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlix::lines {
namespace {

using Lines = std::vector<std::string>;

TEST(LineReading, TerminatorsAndTheLastLine) {
    const struct {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\r\nB", {"A", "B"}},        // no terminator on the last line
        {"A\rB\r", {"A", "B"}},        // CR alone ends a line, no phantom line after it
        {"A\r\r\nB", {"A", "", "B"}},  // CR, then CR LF
        {"A\n\r\nB", {"A\n", "B"}},    // LF alone is text
        {"\n", {"\n"}},
        {"  a \r\n", {"  a "}},
    };
    for (const auto& c : cases) EXPECT_EQ(split(c.bytes), c.lines) << c.bytes;
}

TEST(LineWriting, CrLfAfterEveryLineAndEveryByteSurvives) {
    EXPECT_EQ(join({"A", "B"}), "A\r\nB\r\n");
    EXPECT_EQ(join({}), "");
    EXPECT_EQ(join({""}), "\r\n");
    std::string odd;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r') odd += static_cast<char>(b);
    }
    const Lines in{odd, std::string("\0\0", 2), "\xC3\x28", "\xFF\xFE", ""};
    EXPECT_EQ(split(join(in)), in);
}

}  // namespace
}  // namespace vorlix::lines
