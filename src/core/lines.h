// The line layout shared by the three data files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorlix::core::lines {

// Reads lines from bytes one at a time, so a caller can yield between
// lines. A line ends at CR LF, at a CR alone, or at the end of the data; a
// LF that does not follow a CR is part of the line. Data ending with a
// terminator has no further, empty line after it.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}
    bool eof() const { return pos_ >= bytes_.size(); }
    // Precondition: !eof().
    std::string read_line();

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::vector<std::string> split(std::string_view bytes);

// Appends `line` and CR LF.
void append_line(std::string& out, std::string_view line);

// Every line followed by CR LF; no lines give the empty text.
std::string join(const std::vector<std::string>& lines);

}  // namespace vorlix::core::lines
