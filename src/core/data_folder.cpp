#include "core/data_folder.h"

namespace vorlix::core::data_folder {

namespace {

bool absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// Writing is what a save needs, so the folder is asked to take a new file:
// mode bits alone miss read-only mounts, ACLs and root. A probe left behind
// by a crash is taken away and the question asked again.
bool takes_new_files(platform::FileSystem& fs, const std::string& probe) {
    auto created = fs.create_new(probe);
    if (!created && fs.exists(probe) && fs.remove(probe)) created = fs.create_new(probe);
    if (!created) return false;
    (void)created.value()->close();
    (void)fs.remove(probe);
    return true;
}

}  // namespace

std::string xdg_user_folder(const char* xdg_data_home, const char* home) {
    if (absolute(xdg_data_home)) return std::string(xdg_data_home) + "/vorlix";
    if (absolute(home)) return std::string(home) + "/.local/share/vorlix";
    return {};
}

std::string choose(platform::FileSystem& fs, const std::string& exe_folder, char separator,
                   const std::string& user_folder) {
    if (user_folder.empty() || takes_new_files(fs, exe_folder + separator + "Vorlix.probe.tmp")) {
        return exe_folder;
    }
    return user_folder;
}

}  // namespace vorlix::core::data_folder
