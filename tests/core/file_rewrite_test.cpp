#include "core/file_rewrite.h"

#include <gtest/gtest.h>

#include <string>

#include "core/data_files.h"
#include "fakes/fake_file_system.h"

namespace vorlix {
namespace {

using test::FakeFileSystem;
using test::FsOp;

const std::string kTarget = "/app/Vorlix.dat";
const std::string kOld = "old\r\n";
const std::string kNew = "A\r\nB\r\n";

// Only the target is left: no new file of any name stays behind.
void expect_only_target(const FakeFileSystem& fs, const std::string& bytes) {
    ASSERT_EQ(fs.files().size(), 1u);
    EXPECT_EQ(fs.file(kTarget), bytes);
    EXPECT_EQ(fs.open_files(), 0);
}

TEST(RewriteFile, StepsInOrderBesideTheTarget) {
    FakeFileSystem fs;
    fs.add_file(kTarget, kOld);
    ASSERT_TRUE(rewrite_file(fs, kTarget, kNew).ok());
    expect_only_target(fs, kNew);

    const auto& calls = fs.calls();
    ASSERT_EQ(calls.size(), 5u);
    const std::string temp = calls[0].path;
    EXPECT_EQ(temp.rfind(kTarget + ".", 0), 0u) << temp;  // same folder, same name first
    EXPECT_NE(temp, kTarget);
    EXPECT_EQ(calls[0].op, FsOp::create_new);
    EXPECT_EQ(calls[1].op, FsOp::write);
    EXPECT_EQ(calls[1].bytes, kNew.size());
    EXPECT_EQ(calls[2].op, FsOp::sync);
    EXPECT_EQ(calls[3].op, FsOp::close);
    EXPECT_EQ(calls[4].op, FsOp::replace);
    EXPECT_EQ(calls[4].path, temp);
    EXPECT_EQ(calls[4].to, kTarget);
}

TEST(RewriteFile, CreatesAMissingFileAndWritesEmptyContent) {
    FakeFileSystem fs;
    ASSERT_TRUE(rewrite_file(fs, kTarget, kNew).ok());
    expect_only_target(fs, kNew);
    ASSERT_TRUE(rewrite_file(fs, kTarget, "").ok());
    expect_only_target(fs, "");  // an empty list leaves an existing, empty file
}

TEST(RewriteFile, NameTakenGetsAnotherName) {
    FakeFileSystem fs;
    fs.add_file(kTarget, kOld);
    fs.fail(FsOp::create_new, kTarget + ".*", "File exists", 3);
    ASSERT_TRUE(rewrite_file(fs, kTarget, kNew).ok());
    expect_only_target(fs, kNew);
    const auto creates = fs.calls_of(FsOp::create_new);
    ASSERT_EQ(creates.size(), 4u);
    for (std::size_t i = 1; i < creates.size(); ++i) {
        EXPECT_NE(creates[i].path, creates[i - 1].path);
    }
}

TEST(RewriteFile, CreateNeverSucceeding) {
    FakeFileSystem fs;
    fs.add_file(kTarget, kOld);
    fs.fail(FsOp::create_new, "*", "Permission denied");
    const Status st = rewrite_file(fs, kTarget, kNew);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().message.find("Creating the new file failed"), std::string::npos);
    EXPECT_NE(st.error().message.find("Permission denied"), std::string::npos);
    EXPECT_LE(fs.calls_of(FsOp::create_new).size(), 10u);  // gives up in the end
    expect_only_target(fs, kOld);
}

struct StepFailure {
    FsOp op;
    const char* step;
    const char* reason;
};

class RewriteFailure : public ::testing::TestWithParam<StepFailure> {};

TEST_P(RewriteFailure, OldFileStaysByteIdenticalAndNothingIsLeftBehind) {
    const StepFailure& p = GetParam();
    for (const bool target_exists : {true, false}) {
        FakeFileSystem fs;
        if (target_exists) fs.add_file(kTarget, kOld);
        fs.fail(p.op, kTarget + ".*", p.reason);
        const Status st = rewrite_file(fs, kTarget, kNew);
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.error().message.rfind(std::string(p.step) + " failed: ", 0), 0u)
            << st.error().message;
        EXPECT_NE(st.error().message.find(p.reason), std::string::npos) << st.error().message;
        if (target_exists) {
            expect_only_target(fs, kOld);
        } else {
            EXPECT_TRUE(fs.files().empty());
        }
        EXPECT_EQ(fs.calls().back().op, FsOp::remove);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, RewriteFailure,
    ::testing::Values(StepFailure{FsOp::write, "Writing", "Input/output error"},
                      StepFailure{FsOp::sync, "Flushing to disk", "Input/output error"},
                      StepFailure{FsOp::close, "Closing", "Disk quota exceeded"},
                      StepFailure{FsOp::replace, "Moving it over the old file", "Access denied"}));

TEST(RewriteFile, FullDiskMidWrite) {
    FakeFileSystem fs;
    fs.add_file(kTarget, kOld);
    fs.fail_write_after("*", 3);
    const Status st = rewrite_file(fs, kTarget, kNew);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().message.find("No space left on device"), std::string::npos);
    expect_only_target(fs, kOld);
}

TEST(RewriteFile, TempThatCannotBeRemovedIsNamed) {
    FakeFileSystem fs;
    fs.add_file(kTarget, kOld);
    fs.fail(FsOp::sync, "*", "Input/output error");
    fs.fail(FsOp::remove, "*", "Read-only file system");
    const Status st = rewrite_file(fs, kTarget, kNew);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.error().message.find("left behind"), std::string::npos) << st.error().message;
    EXPECT_NE(st.error().message.find("Read-only file system"), std::string::npos);
    EXPECT_EQ(fs.file(kTarget), kOld);
}

TEST(RewriteFile, HiddenTargetIsReplacedToo) {
    FakeFileSystem fs;
    fs.add_hidden_file(kTarget, kOld);
    ASSERT_TRUE(rewrite_file(fs, kTarget, kNew).ok());
    expect_only_target(fs, kNew);
    EXPECT_TRUE(fs.exists(kTarget));
}

TEST(DataFiles, PathsInTheApplicationFolder) {
    platform::AppInfo linux_app{"/opt/v", "vorlix", '/', ""};
    platform::AppInfo windows_app{"C:\\Tools", "Vorlix", '\\', ".exe"};
    EXPECT_EQ(data_files::path_of(linux_app, data_files::kConfigName), "/opt/v/Vorlix.cfg");
    EXPECT_EQ(data_files::path_of(windows_app, data_files::kBrowserNamesName),
              "C:\\Tools\\Vorlix_BrowserName.dat");
}

TEST(DataFiles, MissingHiddenOrUnreadableMeansDefaults) {
    FakeFileSystem fs;
    const std::string cfg = "/app/Vorlix.cfg";
    EXPECT_EQ(data_files::read_if_present(fs, cfg), std::nullopt);
    EXPECT_EQ(data_files::read_interval(fs, cfg), 3000);

    fs.add_hidden_file(cfg, "Timer=100\r\n");
    EXPECT_EQ(data_files::read_if_present(fs, cfg), std::nullopt);
    EXPECT_EQ(data_files::read_interval(fs, cfg), 3000);

    fs.add_file(cfg, "Timer=100\r\n");
    fs.fail(FsOp::read_all, cfg, "Permission denied", 1);
    EXPECT_EQ(data_files::read_if_present(fs, cfg), std::nullopt);
    EXPECT_EQ(data_files::read_if_present(fs, cfg), "Timer=100\r\n");

    fs.add_folder("/app/Vorlix.dat");
    EXPECT_EQ(data_files::read_if_present(fs, "/app/Vorlix.dat"), std::nullopt);
}

TEST(DataFiles, IntervalFromTheFirstLineOnly) {
    FakeFileSystem fs;
    const std::string cfg = "/app/Vorlix.cfg";
    const struct {
        const char* bytes;
        int ms;
    } cases[] = {
        {"Timer=2500\r\nTimer=1\r\n", 2500},
        {"Timer=2500", 2500},         // no terminator
        {"Timer=\r\n", 0},            // exactly six characters
        {"Timer\r\n9999\r\n", 3000},  // first line too short
        {"", 3000},                   // empty file
        {"\r\nTimer=100\r\n", 3000},
        {"Timer=1\n2\r\n", 12},  // a LF alone is inside the line, and ignored
        {"Timer=1\r2", 1},
    };
    for (const auto& c : cases) {
        fs.add_file(cfg, c.bytes);
        EXPECT_EQ(data_files::read_interval(fs, cfg), c.ms) << '"' << c.bytes << '"';
    }
}

}  // namespace
}  // namespace vorlix
