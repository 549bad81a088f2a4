// Lenient number reading of the configuration file's interval.
#pragma once

#include <optional>
#include <string_view>

namespace vorlix::core::number {

// Reads a number the forgiving way: blanks, tabs and line feeds are ignored
// wherever they stand; an optional sign, digits, an optional "." and digits,
// an optional exponent (E, optional sign, digits); "&H" hexadecimal and
// "&O" octal (both unsigned). Reading stops at the first character that cannot continue
// the number; no digits give 0.
double read_lenient(std::string_view text);

// To the nearest whole number, halves to the even neighbour. nullopt when
// the value is not finite or does not fit a 64-bit integer.
std::optional<long long> round_half_even(double value);

// The scan interval from the configuration file's first line (the line
// without its terminator) or nullopt when the file has no first line: a
// line shorter than six characters (UTF-8 characters, a stray byte counting
// as one), or a value the timer cannot take (negative, or above 2^31 - 1
// ms), gives the default of 3000 ms; text without digits after the
// six-character label gives 0.
int interval_from_config(std::optional<std::string_view> first_line);

inline constexpr int kDefaultIntervalMs = 3000;

}  // namespace vorlix::core::number
