// The few rules of freedesktop desktop entries that the autostart entry
// needs: quoting one command for the Exec key and reading it back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlix::adapters::xdg {

// The Exec value for a Run-key command line: a program path, in double
// quotes when it holds blanks, then any arguments. Each argument is quoted
// and escaped so that blanks, quotes, '$', '`', '%' and backslashes survive.
std::string exec_value_for(std::string_view command_line);

// The command line an Exec value stands for: the program in double quotes
// when it holds blanks, the arguments after it. The inverse of
// exec_value_for.
std::string command_line_from_exec(std::string_view exec_value);

// A whole autostart entry for `command`.
std::string autostart_entry(std::string_view command);

// The raw value of `key` in the "Desktop Entry" group; nothing when the
// group or the key is missing, or when the entry is marked Hidden=true.
std::optional<std::string> entry_value(std::string_view entry, std::string_view key);

}  // namespace vorlix::adapters::xdg
