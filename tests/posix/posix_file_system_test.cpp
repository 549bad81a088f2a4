#include "adapters/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/contracts/file_system_contract.h"
#include "support/support.h"

namespace vorlix::test {
namespace {

namespace fs = std::filesystem;

struct PosixPlace {
    platform::FileSystem& fs() { return files; }
    std::string path(const std::string& name) const { return dir.file(name); }
    TempDir dir;
    adapters::posix::PosixFileSystem files;
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
    ASSERT_TRUE(core::rewrite_file(files, path("link"), "mine").ok());
    EXPECT_FALSE(fs::is_symlink(path("link")));
    EXPECT_EQ(read_file(path("victim")), "keep");
}

}  // namespace
}  // namespace vorlix::test
