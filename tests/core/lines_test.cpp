#include "core/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlix::core::lines {
namespace {

using Lines = std::vector<std::string>;

TEST(LineReading, TerminatorsAndTheLastLine) {
    // CR LF or a CR alone ends a line, a LF alone is text, the last line needs
    // no terminator and a final terminator makes no empty line after it.
    // clang-format off
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"\r\n", {""}}, {"A\r\nB\r\n", {"A", "B"}}, {"A\r\nB", {"A", "B"}},
        {"A\rB\r", {"A", "B"}}, {"A\r\r\nB", {"A", "", "B"}}, {"A\n\r\nB", {"A\n", "B"}},
        {"\n", {"\n"}}, {"  a \r\n", {"  a "}}};
    // clang-format on
    for (const auto& [bytes, lines] : cases) EXPECT_EQ(split(bytes), lines) << bytes;
}

TEST(LineWriting, CrLfAfterEveryLineAndEveryByteSurvives) {
    EXPECT_EQ(join({"A", "B"}), "A\r\nB\r\n");
    EXPECT_EQ(join({""}), "\r\n");
    std::string odd;
    for (int b = 0; b < 256; ++b) odd += b == '\r' ? 'x' : static_cast<char>(b);
    const Lines in{odd, std::string("\0\0", 2), "\xC3\x28", "\xFF\xFE", ""};
    EXPECT_EQ(split(join(in)), in);
}

}  // namespace
}  // namespace vorlix::core::lines
