// Text is bytes: UTF-8 where it is valid, passed through untouched where it
// is not. These are the only places that look inside a title's characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlix::text {

// Letter case folded to lower case: ASCII, Latin-1, Latin Extended-A, Greek
// and Cyrillic letters. Bytes that are not valid UTF-8 are kept as they are,
// so folding never merges two different invalid sequences.
std::string fold_case(std::string_view s);

// The one collation of every sorted list: compares the case-folded texts
// code point by code point (invalid bytes sort by their byte value, below
// all letters); <0, 0 or >0.
int compare_ignore_case(std::string_view a, std::string_view b);

inline bool equal_ignore_case(std::string_view a, std::string_view b) {
    return compare_ignore_case(a, b) == 0;
}

// The bytes the first `characters` characters take; nothing when the text
// is shorter. A byte that is not part of valid UTF-8 counts as one.
std::optional<std::size_t> prefix_bytes(std::string_view s, std::size_t characters);

// A window title as this program reads it: invisible format characters
// (zero-width space and joiners, directional marks, the byte-order mark)
// dropped, then an en dash or em dash between blanks read as " - ". Nothing
// else changes; invalid UTF-8 is kept.
std::string normalize_title(std::string_view title);

// What a window system's title table is keyed by, for a window's title and
// for a title looked up alike: the title read as above, then case-folded.
std::string title_key(std::string_view title);

// Whether title_key(title + rest) is title_key(title) + title_key(rest) for
// every `rest` that starts with a blank. Not so when the title, read, ends
// in a blank and an en or em dash: the blank makes that dash a separator.
bool key_joins(std::string_view title);

}  // namespace vorlix::text
