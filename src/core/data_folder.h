// Where the data files live, decided once at start-up.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace vorlix::core::data_folder {

// The user's own data folder on a freedesktop system: $XDG_DATA_HOME/vorlix,
// else ~/.local/share/vorlix; a relative or empty variable counts as unset.
// Empty when neither names a folder.
std::string xdg_user_folder(const char* xdg_data_home, const char* home);

// Beside the executable while its folder takes new files, so portable copies
// and files already there keep working; else the user's own folder (even one
// that does not exist yet: whoever saves there reports why it failed).
std::string choose(platform::FileSystem& fs, const std::string& exe_folder, char separator,
                   const std::string& user_folder);

}  // namespace vorlix::core::data_folder
