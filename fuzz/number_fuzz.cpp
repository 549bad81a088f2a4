// The lenient number reader against a reference written the slow, obvious
// way: drop the blanks first, then parse with the C library.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/number.h"

namespace {

bool is_digit(char c, int base) {
    if (base == 16) return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    if (base == 8) return c >= '0' && c <= '7';
    return c >= '0' && c <= '9';
}

std::string octal_to_hex(const std::string& octal) {
    std::string bits;
    for (char c : octal) {
        const int d = c - '0';
        bits += (d & 4) ? '1' : '0';
        bits += (d & 2) ? '1' : '0';
        bits += (d & 1) ? '1' : '0';
    }
    while (bits.size() % 4) bits.insert(bits.begin(), '0');
    std::string hex;
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        const int v = (bits[i] - '0') * 8 + (bits[i + 1] - '0') * 4 + (bits[i + 2] - '0') * 2 +
                      (bits[i + 3] - '0');
        hex += "0123456789abcdef"[v];
    }
    return hex;
}

// Returns the value and whether it was read in base 16 or 8.
double reference(std::string_view raw, bool& based) {
    std::string s;
    for (char c : raw) {
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    }
    based = false;
    std::size_t i = 0;
    if (!s.empty() && s[0] == '&') {
        based = true;
        if (s.size() < 2) return 0;
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
        if (base == 0) return 0;
        std::string digits;
        for (i = 2; i < s.size() && is_digit(s[i], base); ++i) digits += s[i];
        if (digits.empty()) return 0;
        const std::string hex = base == 16 ? digits : octal_to_hex(digits);
        return std::strtod(("0x" + hex).c_str(), nullptr);
    }
    std::string text;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) text += s[i++];
    bool any = false;
    while (i < s.size() && is_digit(s[i], 10)) text += s[i++], any = true;
    if (i < s.size() && s[i] == '.') {
        text += s[i++];
        while (i < s.size() && is_digit(s[i], 10)) text += s[i++], any = true;
    }
    if (!any) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        std::string exp;
        std::string sign = "+";
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = s[i++];
        while (i < s.size() && is_digit(s[i], 10)) {
            if (!exp.empty() || s[i] != '0') exp += s[i];
            ++i;
        }
        if (exp.empty()) exp = "0";
        // Beyond this every mantissa a short input can hold overflows or underflows.
        if (exp.size() > 7) exp = "1000000";
        text += "e" + sign + exp;
    }
    return std::strtod(text.c_str(), nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 600) return 0;  // longer mantissas are cut by design, not a fault
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    bool based = false;
    const double want = reference(text, based);
    const double got = vorlix::core::number::read_lenient(text);
    if (based) {
        // Digit by digit accumulation may differ from exact rounding in the last places.
        if (std::isinf(want) != std::isinf(got)) std::abort();
        if (!std::isinf(want) && std::fabs(got - want) > std::fabs(want) * 1e-12) std::abort();
    } else if (!(got == want || (std::isnan(got) && std::isnan(want)))) {
        std::abort();
    }

    const int interval = vorlix::core::number::interval_from_config(text);
    if (interval < 0) std::abort();
    return 0;
}
