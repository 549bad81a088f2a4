// Conversions between the program's UTF-8 text, Windows' UTF-16 and the
// ANSI code page, and the system's words for an error code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vorlix::adapters::win32 {

// UTF-8 to UTF-16; bytes that are not valid UTF-8 become U+FFFD.
std::wstring widen(std::string_view utf8);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string narrow(std::wstring_view wide);

// UTF-8 to the ANSI code page when every character has its own byte
// sequence there and reads back the same; nothing otherwise (also for text
// that is not valid UTF-8).
std::optional<std::string> to_ansi_exact(std::string_view utf8);
// UTF-8 to the ANSI code page, a character the code page lacks becoming its
// default character ('?'); used where the system takes only ANSI text.
std::string to_ansi_lossy(std::string_view utf8);
// The ANSI code page to UTF-8.
std::string from_ansi(std::string_view ansi);

// "what: the system's message (code n)".
std::string describe_error(std::string_view what, DWORD code);

}  // namespace vorlix::adapters::win32
