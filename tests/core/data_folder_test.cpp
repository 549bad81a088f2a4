#include "core/data_folder.h"

#include <gtest/gtest.h>

#include "core/data_files.h"
#include "fakes/fake_file_system.h"

namespace vorlix::test {
namespace {

TEST(DataFolder, TheUsersFolderIsXdgsAndARelativeOrEmptyVariableCountsAsUnset) {
    const struct {
        const char *data_home, *home, *folder;
    } cases[] = {{"/d", "/h", "/d/vorlix"},
                 {nullptr, "/h", "/h/.local/share/vorlix"},
                 {"", "/h", "/h/.local/share/vorlix"},
                 {"d", "/h", "/h/.local/share/vorlix"},
                 {nullptr, "h", ""},
                 {nullptr, nullptr, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(core::data_folder::xdg_user_folder(c.data_home, c.home), c.folder) << c.folder;
    }
}

// A probe left by a crash is taken away where the folder allows it.
TEST(DataFolder, BesideTheExecutableWhileItsFolderTakesNewFilesElseTheUsersAndNoProbeIsLeft) {
    for (const bool writable : {true, false}) {
        for (const bool stale_probe : {false, true}) {
            for (const std::string user : {"/u", ""}) {
                FakeFileSystem fs;
                if (stale_probe) fs.add_file("/opt/v/Vorlix.probe.tmp", "");
                for (FsOp op : {FsOp::create_new, FsOp::remove}) {
                    if (!writable) fs.fail(op, "/opt/v/", "Read-only file system");
                }
                platform::AppInfo app{"/opt/v", "Vorlix", '/', ""};
                app.data_folder = core::data_folder::choose(fs, app.path, '/', user);
                // Without a folder of the user's own, the executable's is all there is.
                EXPECT_EQ(core::data_files::path_of(app, core::data_files::kBlacklistName),
                          (writable || user.empty() ? "/opt/v" : user) + "/Vorlix.dat");
                EXPECT_EQ(fs.files.size(), stale_probe && (!writable || user.empty()) ? 1u : 0u);
            }
        }
    }
}

}  // namespace
}  // namespace vorlix::test
