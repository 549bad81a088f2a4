// Names and reading of the three data files in the application folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/file_system.h"
#include "platform/toolkit.h"

namespace vorlix::core::data_files {

inline constexpr std::string_view kConfigName = "Vorlix.cfg";
inline constexpr std::string_view kBlacklistName = "Vorlix.dat";
inline constexpr std::string_view kBrowserNamesName = "Vorlix_BrowserName.dat";
inline constexpr std::string_view kDefaultBrowserName = "Microsoft Internet Explorer";

// The data folder (the application folder unless start-up chose another),
// its separator and the file name.
std::string path_of(const platform::AppInfo& app, std::string_view file_name);

// A data file's bytes; nullopt when it is missing; an error when it exists
// but cannot be read (also when it is too big to hold in memory).
Result<std::optional<std::string>> read_existing(platform::FileSystem& fs, const std::string& path);

// The same, for callers that fall back to the missing-file defaults either way.
std::optional<std::string> read_if_present(platform::FileSystem& fs, const std::string& path);

// The scan interval: the configuration file's first line read by
// number::interval_from_config, or the default when the file is missing.
int read_interval(platform::FileSystem& fs, const std::string& path);

}  // namespace vorlix::core::data_files
