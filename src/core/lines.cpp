#include "core/lines.h"

namespace vorlix::core::lines {

std::string LineReader::read_line() {
    const std::size_t start = pos_;
    const std::size_t cr = bytes_.find('\r', start);
    if (cr == std::string_view::npos) {
        pos_ = bytes_.size();
        return std::string(bytes_.substr(start));
    }
    pos_ = cr + 1;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
    return std::string(bytes_.substr(start, cr - start));
}

std::vector<std::string> split(std::string_view bytes) {
    std::vector<std::string> out;
    LineReader reader(bytes);
    while (!reader.eof()) out.push_back(reader.read_line());
    return out;
}

void append_line(std::string& out, std::string_view line) {
    out.append(line);
    out.append("\r\n");
}

std::string join(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& l : lines) size += l.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto& l : lines) append_line(out, l);
    return out;
}

}  // namespace vorlix::core::lines
