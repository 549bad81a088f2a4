#include "core/data_files.h"

#include <new>
#include <stdexcept>

#include "core/lines.h"
#include "core/number.h"

namespace vorlix::core::data_files {

std::string path_of(const platform::AppInfo& app, std::string_view file_name) {
    std::string path = app.data_folder.value_or(app.path);
    path += app.separator;
    path += file_name;
    return path;
}

Result<std::optional<std::string>> read_existing(platform::FileSystem& fs,
                                                 const std::string& path) {
    if (!fs.exists(path)) return std::optional<std::string>();
    try {
        auto bytes = fs.read_all(path);
        if (!bytes) return bytes.error();
        return std::optional<std::string>(std::move(bytes).value());
    } catch (const std::bad_alloc&) {
        // Far beyond any real data file; the program carries on without it.
        return Error{path + ": too big to read into memory"};
    } catch (const std::length_error&) {
        return Error{path + ": too big to read into memory"};
    }
}

std::optional<std::string> read_if_present(platform::FileSystem& fs, const std::string& path) {
    auto bytes = read_existing(fs, path);
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

}  // namespace vorlix::core::data_files
