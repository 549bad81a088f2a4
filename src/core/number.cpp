#include "core/number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "base/text.h"

namespace vorlix::core::number {

namespace {

// Enough significant digits for any double; later ones cannot change the
// result in a way anyone would notice, and they keep the work bounded.
constexpr std::size_t kMaxDigits = 800;
// Exponents are saturated here so that no count can overflow.
constexpr long long kExponentCap = 100000;

bool ignorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

int digit_value(int c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') {
        d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        d = c - 'A' + 10;
    }
    return d >= 0 && d < base ? d : -1;
}

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    // The next character that counts, or -1 at the end.
    int peek() {
        while (pos_ < text_.size() && ignorable(text_[pos_])) ++pos_;
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
    }
    void next() { ++pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

double read_based(Cursor& in, int base) {
    double value = 0;
    for (int d; (d = digit_value(in.peek(), base)) >= 0; in.next()) value = value * base + d;
    return value;
}

}  // namespace

double read_lenient(std::string_view text) {
    Cursor in(text);
    int c = in.peek();
    if (c == '&') {
        in.next();
        c = in.peek();
        if (c == 'H' || c == 'h') {
            in.next();
            return read_based(in, 16);
        }
        if (c == 'O' || c == 'o') {
            in.next();
            return read_based(in, 8);
        }
        return 0;
    }

    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        in.next();
    }

    // The value is `digits` (no leading zeros) times ten to `exponent`.
    std::string digits;
    long long exponent = 0;
    bool any_digit = false;
    for (c = in.peek(); c >= '0' && c <= '9'; in.next(), c = in.peek()) {
        any_digit = true;
        if (digits.size() >= kMaxDigits) {
            ++exponent;
        } else if (!digits.empty() || c != '0') {
            digits += static_cast<char>(c);
        }
    }
    if (c == '.') {
        in.next();
        for (c = in.peek(); c >= '0' && c <= '9'; in.next(), c = in.peek()) {
            any_digit = true;
            if (digits.size() >= kMaxDigits) continue;
            if (!digits.empty() || c != '0') digits += static_cast<char>(c);
            --exponent;
        }
    }
    if (!any_digit) return 0;

    if (c == 'E' || c == 'e') {
        in.next();
        bool exp_negative = false;
        c = in.peek();
        if (c == '+' || c == '-') {
            exp_negative = c == '-';
            in.next();
        }
        long long e = 0;
        for (c = in.peek(); c >= '0' && c <= '9'; in.next(), c = in.peek()) {
            e = std::min(e * 10 + (c - '0'), kExponentCap);
        }
        exponent += exp_negative ? -e : e;
    }
    if (digits.empty()) return 0;

    const double inf = std::numeric_limits<double>::infinity();
    const long long leading = exponent + static_cast<long long>(digits.size()) - 1;
    double value = 0;
    if (leading > 400) {
        value = inf;
    } else if (leading >= -400) {
        const std::string text_form = digits + "e" + std::to_string(exponent);
        const char* first = text_form.data();
        const auto [ptr, ec] = std::from_chars(first, first + text_form.size(), value);
        (void)ptr;
        if (ec == std::errc::result_out_of_range) value = leading > 0 ? inf : 0.0;
    }
    return negative ? -value : value;
}

std::optional<long long> round_half_even(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // Built on trunc alone: value - trunc(value) is exact, and some C
    // libraries' round() is off by one just below one half.
    const double whole = std::trunc(value);
    const double part = std::fabs(value - whole);
    const double away = value < 0 ? whole - 1 : whole + 1;
    double rounded = whole;
    if (part > 0.5 || (part == 0.5 && std::fmod(whole, 2.0) != 0.0)) rounded = away;
    // 2^63 is exactly representable; anything from there on does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (rounded >= kLimit || rounded < -kLimit) return std::nullopt;
    return static_cast<long long>(rounded);
}

int interval_from_config(std::optional<std::string_view> first_line) {
    // The label is six characters, not bytes: "Durée=" is a label too.
    constexpr std::size_t kLabelLength = 6;
    const auto label = first_line ? text::prefix_bytes(*first_line, kLabelLength) : std::nullopt;
    if (!label) return kDefaultIntervalMs;
    const auto ms = round_half_even(read_lenient(first_line->substr(*label)));
    if (!ms || *ms < 0 || *ms > std::numeric_limits<std::int32_t>::max()) {
        return kDefaultIntervalMs;
    }
    return static_cast<int>(*ms);
}

}  // namespace vorlix::core::number
