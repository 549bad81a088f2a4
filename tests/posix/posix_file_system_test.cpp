#include "adapters/posix/posix_file_system.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/contracts/file_system_contract.h"
#include "support/support.h"

// Each flush: the inode flushed, and the inode then at the watched path.
static std::string watched;
static std::vector<std::pair<ino_t, ino_t>> flushes;

extern "C" int fsync(int fd) {
    struct stat file = {}, at_path = {};
    ::fstat(fd, &file);
    ::stat(watched.c_str(), &at_path);
    flushes.emplace_back(file.st_ino, at_path.st_ino);
    using Fsync = int (*)(int);
    return reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"))(fd);
}

namespace vorlix::test {
namespace {

namespace fs = std::filesystem;

struct PosixPlace {
    platform::FileSystem& fs() { return files; }
    std::string path(const std::string& name) const { return dir.file(name); }
    TempDir dir;
    platform::posix::PosixFileSystem files;
};
INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, PosixPlace);

class PosixFs : public ::testing::Test, public PosixPlace {};

TEST_F(PosixFs, OnlyPlainFilesAreDataAndReadErrorsCarryTheSystemsReason) {
    fs::create_directory(path("d"));
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0644), 0);
    fs::create_symlink(path("gone"), path("dangling"));
    for (const char* name : {"d", "fifo", "dangling"})
        EXPECT_FALSE(files.exists(path(name))) << name;
    EXPECT_EQ(files.read_all(path("d")).error().message, path("d") + ": Is a directory");
    EXPECT_FALSE(files.read_all(path("fifo")).ok());  // refused, not read for ever
    EXPECT_FALSE(files.read_all("/dev/zero").ok());
}

TEST_F(PosixFs, LinksInTheFolderAreNeverWrittenThrough) {
    ASSERT_TRUE(write_file(path("victim"), "keep"));
    fs::create_symlink(path("victim"), path("link"));
    fs::create_symlink(path("elsewhere"), path("dangling"));
    for (const char* name : {"link", "dangling"}) EXPECT_FALSE(files.create_new(path(name)).ok());
    EXPECT_FALSE(fs::exists(path("elsewhere")));
    // A link in a data file's place is replaced, the file it names kept.
    ASSERT_TRUE(rewrite_file(files, path("link"), "mine").ok());
    EXPECT_FALSE(fs::is_symlink(path("link")));
    EXPECT_EQ(read_file(path("victim")), "keep");
}

TEST_F(PosixFs, TheNewFileIsFlushedBeforeItTakesTheOldOnesPlace) {
    watched = path("Vorlix.dat");
    ASSERT_TRUE(write_file(watched, "old"));
    struct stat old_file = {}, new_file = {};
    ::stat(watched.c_str(), &old_file);
    flushes.clear();
    ASSERT_TRUE(rewrite_file(files, watched, "new").ok());
    ::stat(watched.c_str(), &new_file);
    EXPECT_NE(
        std::find(flushes.begin(), flushes.end(), std::pair(new_file.st_ino, old_file.st_ino)),
        flushes.end());
}

}  // namespace
}  // namespace vorlix::test
