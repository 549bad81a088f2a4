#include "core/data_folder.h"

#include <gtest/gtest.h>

#include "core/data_files.h"
#include "fakes/fake_file_system.h"

namespace vorlix::test {
namespace {

TEST(DataFolder, TheUsersFolderIsXdgsAndARelativeOrEmptyVariableCountsAsUnset) {
    for (const auto& [data_home, home, folder] : {std::tuple{"/d", "/h", "/d/vorlix"},
                                                  {"d", "/h", "/h/.local/share/vorlix"},
                                                  {"", "h", ""}}) {
        EXPECT_EQ(core::data_folder::xdg_user_folder(data_home, home), folder) << folder;
    }
    EXPECT_EQ(core::data_folder::xdg_user_folder(nullptr, nullptr), "");
}

// Without a folder of the user's own, the executable's is all there is. A
// probe left by a crash is taken away where the folder allows it.
TEST(DataFolder, BesideTheExecutableWhileItsFolderTakesNewFilesElseTheUsersAndNoProbeIsLeft) {
    for (const bool writable : {true, false}) {
        for (const std::string user : {"/u", ""}) {
            FakeFileSystem fs;
            fs.add_file("/opt/v/Vorlix.probe.tmp", "");
            for (FsOp op : {FsOp::create_new, FsOp::remove}) {
                if (!writable) fs.fail(op, "/opt/v/", "Read-only file system");
            }
            platform::AppInfo app{"/opt/v", "Vorlix", '/', ""};
            app.data_folder = core::data_folder::choose(fs, app.path, '/', user);
            EXPECT_EQ(core::data_files::path_of(app, core::data_files::kBlacklistName),
                      (writable || user.empty() ? "/opt/v" : user) + "/Vorlix.dat");
            EXPECT_EQ(fs.files.size(), writable && !user.empty() ? 0u : 1u);
        }
    }
}

}  // namespace
}  // namespace vorlix::test
