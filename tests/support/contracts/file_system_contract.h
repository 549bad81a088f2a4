// What every FileSystem promises, for the fake and each real adapter alike.
// Instantiate with a type that has `platform::FileSystem& fs()` and
// `std::string path(name)` naming a file in an empty scratch folder:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Posix, FileSystemContract, PosixPlace);
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/file_rewrite.h"
#include "platform/file_system.h"

namespace vorlix::test {

template <class Place>
class FileSystemContract : public ::testing::Test {
protected:
    // The file's bytes, or its error in angle brackets.
    std::string read(const std::string& name) {
        auto bytes = place.fs().read_all(place.path(name));
        return bytes.ok() ? bytes.value() : "<" + bytes.error().message + ">";
    }
    Status rewrite(const std::string& name, const std::string& bytes) {
        return core::rewrite_file(place.fs(), place.path(name), bytes);
    }
    Place place;
};

TYPED_TEST_SUITE_P(FileSystemContract);

TYPED_TEST_P(FileSystemContract, RewrittenBytesReadBackExactly) {
    const std::string bytes("A\r\n\0\xFF\xC3\xA4 x\r\n", 11);
    ASSERT_TRUE(this->rewrite("f", "old").ok());
    ASSERT_TRUE(this->rewrite("f", bytes).ok());
    EXPECT_TRUE(this->place.fs().exists(this->place.path("f")));
    EXPECT_EQ(this->read("f"), bytes);
    ASSERT_TRUE(this->rewrite("f", "").ok());
    EXPECT_EQ(this->read("f"), "");
}

TYPED_TEST_P(FileSystemContract, CreateNewRefusesAFileThatIsThereAndAClosedFileTakesNoBytes) {
    platform::FileSystem& fs = this->place.fs();
    ASSERT_TRUE(this->rewrite("f", "keep").ok());
    EXPECT_FALSE(fs.create_new(this->place.path("f")).ok());
    EXPECT_EQ(this->read("f"), "keep");
    auto created = fs.create_new(this->place.path("g"));
    ASSERT_TRUE(created.ok()) << created.error().message;
    ASSERT_TRUE(created.value()->close().ok());
    EXPECT_FALSE(created.value()->write("more").ok());
}

TYPED_TEST_P(FileSystemContract, ReplaceMovesOverTheOldFileRemoveDeletesAndMissingFilesAreNamed) {
    platform::FileSystem& fs = this->place.fs();
    ASSERT_TRUE(this->rewrite("old", "1").ok());
    ASSERT_TRUE(this->rewrite("new", "2").ok());
    ASSERT_TRUE(fs.replace(this->place.path("new"), this->place.path("old")).ok());
    EXPECT_EQ(this->read("old"), "2");
    EXPECT_FALSE(fs.exists(this->place.path("new")));
    ASSERT_TRUE(fs.remove(this->place.path("old")).ok());
    EXPECT_FALSE(fs.exists(this->place.path("old")));
    EXPECT_NE(this->read("old").find("old: "), std::string::npos) << this->read("old");
    EXPECT_FALSE(fs.remove(this->place.path("old")).ok());
    EXPECT_FALSE(fs.replace(this->place.path("new"), this->place.path("old")).ok());
}

REGISTER_TYPED_TEST_SUITE_P(FileSystemContract, RewrittenBytesReadBackExactly,
                            CreateNewRefusesAFileThatIsThereAndAClosedFileTakesNoBytes,
                            ReplaceMovesOverTheOldFileRemoveDeletesAndMissingFilesAreNamed);

}  // namespace vorlix::test
