#include "adapters/xdg/desktop_entry.h"

#include <vector>

namespace vorlix::adapters::xdg {
namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// Escapes of the string type that every value goes through last.
std::string escape_string(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
    return out;
}

std::string unescape_string(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\', out += s[i];
        }
    }
    return out;
}

std::vector<std::string> split_arguments(std::string_view exec) {
    std::vector<std::string> args;
    std::string current;
    bool in_arg = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == '"') {
            in_arg = true;
            for (++i; i < exec.size() && exec[i] != '"'; ++i) {
                if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
                current += exec[i];
            }
        } else if (c == ' ' || c == '\t') {
            if (in_arg) args.push_back(std::move(current));
            current.clear();
            in_arg = false;
        } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
            current += '%';
            in_arg = true;
            ++i;
        } else {
            current += c;
            in_arg = true;
        }
    }
    if (in_arg) args.push_back(std::move(current));
    return args;
}

std::string quote_argument(std::string_view arg) {
    std::string out;
    const bool quote = arg.empty() || arg.find_first_of(kReserved) != std::string_view::npos;
    if (quote) out += '"';
    for (char c : arg) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    if (quote) out += '"';
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::string exec_value_for(std::string_view command_line) {
    // The program is quoted on the command line when it holds blanks.
    std::string_view program = command_line;
    std::string_view rest;
    if (!command_line.empty() && command_line.front() == '"') {
        const std::size_t close = command_line.find('"', 1);
        program = command_line.substr(1, close == std::string_view::npos ? close : close - 1);
        rest =
            close == std::string_view::npos ? std::string_view() : command_line.substr(close + 1);
    }
    std::string exec = quote_argument(program);
    for (const std::string& arg : split_arguments(rest)) exec += ' ' + quote_argument(arg);
    return escape_string(exec);
}

std::string command_line_from_exec(std::string_view exec_value) {
    std::string line;
    for (const std::string& arg : split_arguments(unescape_string(exec_value))) {
        if (line.empty() && arg.find_first_of(" \t") != std::string::npos) {
            line = '"' + arg + '"';
            continue;
        }
        if (!line.empty()) line += ' ';
        line += arg;
    }
    return line;
}

std::string autostart_entry(std::string_view command) {
    std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Vorlix\n"
        "Comment=Closes unwanted pop-up windows by title\n"
        "Icon=vorlix\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n"
        "Exec=";
    entry += exec_value_for(command);
    entry += '\n';
    return entry;
}

std::optional<std::string> entry_value(std::string_view entry, std::string_view key) {
    bool in_group = false;
    std::optional<std::string> found;
    while (!entry.empty()) {
        const std::size_t end = entry.find('\n');
        std::string_view line = trim(entry.substr(0, end));
        entry.remove_prefix(end == std::string_view::npos ? entry.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            in_group = line == "[Desktop Entry]";
            continue;
        }
        if (!in_group) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view name = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (name == "Hidden" && value == "true") return std::nullopt;
        if (name == key && !found) found = std::string(value);
    }
    return found;
}

}  // namespace vorlix::adapters::xdg
