#include "core/file_rewrite.h"

#include <gtest/gtest.h>

#include <string>

#include "core/data_files.h"
#include "fakes/fake_file_system.h"
#include "support/contracts/file_system_contract.h"

namespace vorlix::test {
namespace {

const std::string kTarget = "/app/Vorlix.dat";

struct FakePlace {
    platform::FileSystem& fs() { return disk; }
    std::string path(const std::string& name) const { return "/c/" + name; }
    FakeFileSystem disk;
};
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, FileSystemContract, FakePlace);

// The order of the steps on a real disk is the crash test's (tests/reliability).
TEST(RewriteFile, ANewFileWhoseNameIsTakenGetsAnotherAndNoneIsLeft) {
    FakeFileSystem fs;
    fs.add_file(kTarget, "old");
    fs.fail(FsOp::create_new, kTarget + ".", "File exists", 3);
    ASSERT_TRUE(core::rewrite_file(fs, kTarget, "new").ok());
    EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{kTarget, "new"}}));
}

class RewriteFailure : public ::testing::TestWithParam<std::pair<const char*, FsOp>> {};

TEST_P(RewriteFailure, OldFileStaysWholeNothingIsLeftAndTheErrorSaysWhy) {
    for (const bool target_exists : {true, false}) {
        FakeFileSystem fs;
        if (target_exists) fs.add_file(kTarget, "old");
        fs.fail(GetParam().second, kTarget + ".", "Disk quota exceeded");
        const Status st = core::rewrite_file(fs, kTarget, "new");
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.error().message.rfind(std::string(GetParam().first) + " failed: ", 0), 0u)
            << st.error().message;
        EXPECT_NE(st.error().message.find("Disk quota exceeded"), std::string::npos);
        EXPECT_EQ(fs.files.size(), target_exists ? 1u : 0u);
        EXPECT_EQ(fs.file(kTarget),
                  target_exists ? std::optional<std::string>("old") : std::nullopt);
        EXPECT_EQ(fs.open_files, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, RewriteFailure,
    ::testing::Values(std::pair{"Creating the new file", FsOp::create_new},
                      std::pair{"Writing", FsOp::write}, std::pair{"Flushing to disk", FsOp::sync},
                      std::pair{"Closing", FsOp::close},
                      std::pair{"Moving it over the old file", FsOp::replace}));

}  // namespace
}  // namespace vorlix::test
