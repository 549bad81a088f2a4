#include "base/text.h"

#include <algorithm>
#include <cstdint>

namespace vorlix::text {
namespace {

struct Decoded {
    char32_t cp;       // the code point, or the lone byte when !valid
    std::size_t size;  // bytes consumed
    bool valid;
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
Decoded decode(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return {b0, 1, true};
    std::size_t n = 0;
    char32_t cp = 0, min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return {b0, 1, false};
    }
    if (i + n > s.size()) return {b0, 1, false};
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return {b0, 1, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {b0, 1, false};
    return {cp, n, true};
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool in(char32_t c, char32_t lo, char32_t hi) {
    return c >= lo && c <= hi;
}

// Simple case folding for the scripts users' page titles mostly come in.
// Kept as a table of rules rather than the C library's towlower, whose
// answer depends on the locale and differs between platforms.
char32_t fold(char32_t c) {
    if (c < 0x80) return in(c, 'A', 'Z') ? c + 32 : c;
    if (in(c, 0xC0, 0xDE) && c != 0xD7) return c + 32;
    if (c == 0x130) return 'i';
    if (c == 0x178) return 0xFF;
    if (in(c, 0x100, 0x137) || in(c, 0x14A, 0x177)) return c | 1;  // even upper, odd lower
    if (in(c, 0x139, 0x148) || in(c, 0x179, 0x17E)) return (c & 1) ? c + 1 : c;
    if (c == 0x386) return 0x3AC;
    if (in(c, 0x388, 0x38A)) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (in(c, 0x38E, 0x38F)) return c + 63;
    if (in(c, 0x391, 0x3A9) && c != 0x3A2) return c + 32;
    if (c == 0x3C2) return 0x3C3;  // final sigma folds with sigma
    if (in(c, 0x400, 0x40F)) return c + 80;
    if (in(c, 0x410, 0x42F)) return c + 32;
    if (in(c, 0x460, 0x481) || in(c, 0x48A, 0x4BF) || in(c, 0x4D0, 0x52F)) return c | 1;
    if (c == 0x4C0) return 0x4CF;
    if (in(c, 0x4C1, 0x4CE)) return (c & 1) ? c + 1 : c;
    return c;
}

bool is_invisible_format(char32_t c) {
    return in(c, 0x200B, 0x200F) || in(c, 0x202A, 0x202E) || in(c, 0x2060, 0x2064) ||
           in(c, 0x2066, 0x206F) || c == 0xFEFF || c == 0x061C || c == 0x180E;
}

// A sort key unit: valid characters and stray bytes interleave by value but
// never compare equal to each other.
std::uint32_t key_at(std::string_view s, std::size_t& i) {
    const Decoded d = decode(s, i);
    i += d.size;
    return d.valid ? (static_cast<std::uint32_t>(fold(d.cp)) << 1) | 1u
                   : static_cast<std::uint32_t>(d.cp) << 1;
}

void replace_all(std::string& s, std::string_view from, std::string_view to) {
    for (std::size_t pos = s.find(from); pos != std::string::npos;
         pos = s.find(from, pos + to.size())) {
        s.replace(pos, from.size(), to);
    }
}

}  // namespace

std::string fold_case(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    // Most titles are plain ASCII: fold those bytes without decoding.
    std::size_t i = 0;
    for (; i < s.size() && static_cast<unsigned char>(s[i]) < 0x80; ++i) {
        const char c = s[i];
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    while (i < s.size()) {
        const Decoded d = decode(s, i);
        if (d.valid) {
            encode(fold(d.cp), out);
        } else {
            out += s[i];
        }
        i += d.size;
    }
    return out;
}

int compare_ignore_case(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::uint32_t ka = key_at(a, i);
        const std::uint32_t kb = key_at(b, j);
        if (ka != kb) return ka < kb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::optional<std::size_t> prefix_bytes(std::string_view s, std::size_t characters) {
    std::size_t i = 0;
    for (; characters > 0; --characters) {
        if (i == s.size()) return std::nullopt;
        i += decode(s, i).size;
    }
    return i;
}

std::string normalize_title(std::string_view title) {
    std::string out;
    out.reserve(title.size());
    for (std::size_t i = 0; i < title.size();) {
        const Decoded d = decode(title, i);
        if (!(d.valid && is_invisible_format(d.cp))) out.append(title.substr(i, d.size));
        i += d.size;
    }
    replace_all(out, " \xE2\x80\x93 ", " - ");  // en dash
    replace_all(out, " \xE2\x80\x94 ", " - ");  // em dash
    return out;
}

std::string title_key(std::string_view title) {
    // Reading a title changes only non-ASCII characters; most are ASCII.
    const bool ascii = std::all_of(title.begin(), title.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return fold_case(ascii ? title : normalize_title(title));
}

bool key_joins(std::string_view title) {
    char32_t before = 0, last = 0;
    for (std::size_t i = 0; i < title.size();) {
        const Decoded d = decode(title, i);
        i += d.size;
        if (d.valid && is_invisible_format(d.cp)) continue;
        before = last;
        last = d.cp;
    }
    return !(before == ' ' && (last == 0x2013 || last == 0x2014));
}

}  // namespace vorlix::text
