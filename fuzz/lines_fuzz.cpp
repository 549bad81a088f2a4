// The line reader must take any bytes, lose none of them except the line
// terminators it consumes, and read back exactly what the writer wrote.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = vorlix::core::lines::split(bytes);

    std::size_t kept = 0, crs = 0;
    for (const auto& line : lines) {
        if (line.find('\r') != std::string::npos) std::abort();  // CR always ends a line
        kept += line.size();
    }
    for (char c : bytes) crs += c == '\r';
    // Every byte is either in a line, a CR, or the LF right after a CR.
    std::size_t crlf = 0;
    for (std::size_t i = 0; i + 1 < size; ++i) crlf += bytes[i] == '\r' && bytes[i + 1] == '\n';
    if (kept + crs + crlf != size) std::abort();

    // What the writer writes, the reader reads back unchanged.
    if (vorlix::core::lines::split(vorlix::core::lines::join(lines)) != lines) std::abort();
    return 0;
}
