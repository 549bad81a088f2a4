#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

namespace vorlix::test {
namespace {

// The rewrite tests lean on the fake behaving like a disk; these pin the
// parts they rely on.
TEST(FakeFileSystem, FilesFoldersAndHiddenFiles) {
    FakeFileSystem fs;
    fs.add_file("/a/f", "x\r\n");
    fs.add_hidden_file("/a/h", "h");
    fs.add_folder("/a/d");
    EXPECT_TRUE(fs.exists("/a/f"));
    EXPECT_FALSE(fs.exists("/a/h"));
    EXPECT_FALSE(fs.exists("/a/d"));
    EXPECT_FALSE(fs.exists("/a/none"));
    EXPECT_EQ(fs.read_all("/a/h").value(), "h");
    EXPECT_EQ(fs.read_all("/a/d").error().message, "/a/d: Is a directory");
    EXPECT_FALSE(fs.read_all("/a/none").ok());
    EXPECT_FALSE(fs.create_new("/a/f").ok());
    EXPECT_FALSE(fs.create_new("/a/d").ok());
    EXPECT_FALSE(fs.replace("/a/f", "/a/d").ok());
    EXPECT_EQ(fs.file("/a/f"), "x\r\n");
}

TEST(FakeFileSystem, WritesLandAndFullDiskKeepsWhatFits) {
    FakeFileSystem fs;
    fs.fail_write_after("/a/*", 4);
    auto file = fs.create_new("/a/t");
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(fs.open_files(), 1);
    EXPECT_TRUE(file.value()->write("abc").ok());
    Status st = file.value()->write("def");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, "/a/t: No space left on device");
    EXPECT_EQ(fs.file("/a/t"), "abcd");
    EXPECT_TRUE(file.value()->close().ok());
    EXPECT_EQ(fs.open_files(), 0);
    EXPECT_FALSE(file.value()->write("x").ok());
}

TEST(FakeFileSystem, CountedFailuresRunOutAndCallsAreRecorded) {
    FakeFileSystem fs;
    fs.add_file("/a/f", "old");
    fs.fail(FsOp::replace, "/a/f", "Permission denied", 1);
    fs.add_file("/a/n", "new");
    Status first = fs.replace("/a/n", "/a/f");
    ASSERT_FALSE(first.ok());
    EXPECT_EQ(first.error().message, "/a/n: Permission denied");
    EXPECT_EQ(fs.file("/a/f"), "old");
    EXPECT_TRUE(fs.replace("/a/n", "/a/f").ok());
    EXPECT_EQ(fs.file("/a/f"), "new");
    EXPECT_FALSE(fs.has_file("/a/n"));
    ASSERT_EQ(fs.calls().size(), 2u);
    EXPECT_EQ(fs.calls()[0].describe(), "replace /a/n -> /a/f failed");
    EXPECT_EQ(fs.calls()[1].describe(), "replace /a/n -> /a/f");

    int seen = 0;
    fs.on_call([&](const FsCall& c) {
        if (c.op == FsOp::remove) fs.add_file("/a/back", "b");
        ++seen;
    });
    EXPECT_TRUE(fs.remove("/a/f").ok());
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(fs.exists("/a/back"));
    EXPECT_FALSE(fs.remove("/a/f").ok());
}

}  // namespace
}  // namespace vorlix::test
