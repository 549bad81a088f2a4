#include "core/data_files.h"

#include "core/lines.h"
#include "core/number.h"

namespace vorlix::data_files {

std::string path_of(const platform::AppInfo& app, std::string_view file_name) {
    std::string path = app.path;
    path += app.separator;
    path += file_name;
    return path;
}

std::optional<std::string> read_if_present(platform::FileSystem& fs, const std::string& path) {
    if (!fs.exists(path)) return std::nullopt;
    auto bytes = fs.read_all(path);
    if (!bytes) return std::nullopt;
    return std::move(bytes).value();
}

int read_interval(platform::FileSystem& fs, const std::string& path) {
    const auto bytes = read_if_present(fs, path);
    if (!bytes) return number::kDefaultIntervalMs;
    lines::LineReader reader(*bytes);
    if (reader.eof()) return number::interval_from_config(std::nullopt);
    const std::string first = reader.read_line();
    return number::interval_from_config(first);
}

}  // namespace vorlix::data_files
