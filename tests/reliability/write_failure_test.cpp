// Saves that fail: the program keeps running, keeps the user's edits in its
// lists, leaves the previous file whole and says so in the status line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "adapters/posix/posix_file_system.h"
#include "temp_dir.h"
#include "world.h"

namespace vorlix::reliability {
namespace {

constexpr const char* kFolder = "/opt/vorlix";
constexpr const char* kBlacklistStatus = "  Could not save the blacklist: ";
constexpr const char* kNamesStatus = "  Could not save the browser names: ";
const std::string kOldBlacklist = "A\r\nB\r\n";
const std::string kOldNames = std::string(kIe) + "\r\n";

struct FakeFailure {
    const char* name;
    // Makes the fake disk fail for writes of `path`; `reason` is the system
    // text the status line must pass on.
    std::function<void(test::FakeFileSystem&, const std::string& path)> inject;
    const char* reason;
};

std::vector<FakeFailure> fake_failures() {
    return {
        {"create fails",
         [](test::FakeFileSystem& fs, const std::string& path) {
             fs.fail(test::FsOp::create_new, path + "*", "Permission denied");
         },
         "Permission denied"},
        {"disk full after 3 bytes",
         [](test::FakeFileSystem& fs, const std::string& path) {
             fs.fail_write_after(path + "*", 3);
         },
         "No space left on device"},
        {"sync fails",
         [](test::FakeFileSystem& fs, const std::string& path) {
             fs.fail(test::FsOp::sync, path + "*", "Input/output error");
         },
         "Input/output error"},
        {"close fails",
         [](test::FakeFileSystem& fs, const std::string& path) {
             fs.fail(test::FsOp::close, path + "*", "Disk quota exceeded");
         },
         "Disk quota exceeded"},
        {"replace fails",
         [](test::FakeFileSystem& fs, const std::string& path) {
             fs.fail(test::FsOp::replace, path, "Read-only file system");
         },
         "Read-only file system"},
    };
}

class FakeWriteFailures : public ::testing::TestWithParam<std::size_t> {
protected:
    FakeWriteFailures() : world(files, kFolder) {
        files.add_folder(kFolder);
        files.add_file(world.path("Vorlix.dat"), kOldBlacklist);
        files.add_file(world.path("Vorlix_BrowserName.dat"), kOldNames);
    }
    const FakeFailure& failure() const {
        static const std::vector<FakeFailure> all = fake_failures();
        return all.at(GetParam());
    }
    // Only the data files: no new file left behind, none still open.
    void expect_no_leftovers() {
        for (const auto& [path, bytes] : files.files()) {
            EXPECT_TRUE(path == world.path("Vorlix.dat") ||
                        path == world.path("Vorlix_BrowserName.dat"))
                << path << " left behind";
        }
        EXPECT_EQ(files.open_files(), 0);
    }

    test::FakeFileSystem files;
    World world;
};

TEST_P(FakeWriteFailures, BlacklistEditKeptOldFileWholeStatusSaysWhy) {
    world.start();
    failure().inject(files, world.path("Vorlix.dat"));
    world.add_title("C");

    EXPECT_EQ(world.main().list().items(), (std::vector<std::string>{"[A]", "[B]", "[C]"}));
    EXPECT_EQ(files.file(world.path("Vorlix.dat")), kOldBlacklist);
    EXPECT_EQ(world.main().status().rfind(kBlacklistStatus, 0), 0u) << world.main().status();
    EXPECT_NE(world.main().status().find(failure().reason), std::string::npos)
        << world.main().status();
    EXPECT_TRUE(world.toolkit.message_boxes().empty());
    expect_no_leftovers();

    // Still running: it scans, and the next edit that can be saved writes
    // every edit, the failed one included.
    EXPECT_TRUE(world.tick());
    files.clear_failures();
    world.add_title("D");
    EXPECT_EQ(files.file(world.path("Vorlix.dat")), "A\r\nB\r\nC\r\nD\r\n");
    expect_no_leftovers();
}

TEST_P(FakeWriteFailures, LearnedNameKeptInMemoryOldFileWholeStatusSaysWhy) {
    world.start();
    failure().inject(files, world.path("Vorlix_BrowserName.dat"));
    world.windows.add("Home - Netscape 6");
    ASSERT_TRUE(world.tick());

    EXPECT_EQ(world.state().browser_names, (std::vector<std::string>{kIe, "Netscape 6"}));
    EXPECT_EQ(files.file(world.path("Vorlix_BrowserName.dat")), kOldNames);
    EXPECT_EQ(world.main().status().rfind(kNamesStatus, 0), 0u) << world.main().status();
    EXPECT_NE(world.main().status().find(failure().reason), std::string::npos);
    EXPECT_TRUE(world.toolkit.message_boxes().empty());
    expect_no_leftovers();

    files.clear_failures();
    world.windows.add("News - Mozilla");
    ASSERT_TRUE(world.tick());
    EXPECT_EQ(files.file(world.path("Vorlix_BrowserName.dat")),
              kOldNames + "Netscape 6\r\nMozilla\r\n");
}

INSTANTIATE_TEST_SUITE_P(EachFailure, FakeWriteFailures, ::testing::Range<std::size_t>(0, 5),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             std::string name = fake_failures().at(param.param).name;
                             for (char& c : name) {
                                 if (c == ' ') c = '_';
                             }
                             return name;
                         });

TEST(FakeWriteFailuresFolder, AFolderInTheBlacklistsPlaceIsReportedAndLeftAlone) {
    test::FakeFileSystem files;
    World world(files, kFolder);
    files.add_folder(kFolder);
    files.add_folder(world.path("Vorlix.dat"));
    world.start();
    EXPECT_TRUE(world.main().list().items().empty());
    world.add_title("C");
    EXPECT_EQ(world.main().list().items(), std::vector<std::string>{"[C]"});
    EXPECT_EQ(world.main().status().rfind(kBlacklistStatus, 0), 0u) << world.main().status();
    EXPECT_FALSE(files.has_file(world.path("Vorlix.dat")));
    EXPECT_TRUE(files.files().empty()) << "the new file was left behind";
}

// --- For real, in a scratch folder ---

class RealWriteFailures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.ok());
        // Others may pass through and read, as "nobody" must.
        ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
        ASSERT_TRUE(TempDir::write(dir_.file("Vorlix.dat"), kOldBlacklist));
        ASSERT_TRUE(TempDir::write(dir_.file("Vorlix_BrowserName.dat"), kOldNames));
    }

    // The files the folder must still hold, byte for byte, and nothing else.
    void expect_folder_untouched() {
        EXPECT_EQ(TempDir::read(dir_.file("Vorlix.dat")), kOldBlacklist);
        EXPECT_EQ(TempDir::read(dir_.file("Vorlix_BrowserName.dat")), kOldNames);
        EXPECT_EQ(dir_.names().size(), 2u) << "a new file was left in the folder";
    }

    // In the child: an edit and a learned name, both failing with `reason`.
    int edit_and_learn(const char* reason) {
        ChildChecks check;
        platform::posix::PosixFileSystem fs;
        World world(fs, dir_.path());
        world.start();
        world.add_title("C");
        const std::string after_add = world.main().status();
        check.expect(after_add.rfind(kBlacklistStatus, 0) == 0, "status: " + after_add);
        check.expect(after_add.find(reason) != std::string::npos, "reason: " + after_add);
        check.expect(world.main().list().items() == std::vector<std::string>{"[A]", "[B]", "[C]"},
                     "the edit is kept in the list");
        world.windows.add("Home - Netscape 6");
        check.expect(world.tick(), "scanning goes on");
        const std::string after_learn = world.main().status();
        check.expect(after_learn.rfind(kNamesStatus, 0) == 0, "status: " + after_learn);
        check.expect(world.state().browser_names == std::vector<std::string>{kIe, "Netscape 6"},
                     "the learned name is kept");
        check.expect(world.toolkit.message_boxes().empty(), "no message box");
        std::printf("[write failure] as uid %u: \"%s\" / \"%s\"\n", ::geteuid(), after_add.c_str(),
                    after_learn.c_str());
        return check.exit_code();
    }

    TempDir dir_;
};

TEST_F(RealWriteFailures, ReadOnlyFolderAsAnUnprivilegedUser) {
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0555), 0);
    const int rc = run_in_child([&] {
        if (!drop_privileges()) return 2;
        // The write must really be refused, or this proves nothing.
        const int fd = ::open(dir_.file("probe").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            ::close(fd);
            return 3;
        }
        return edit_and_learn("Permission denied");
    });
    ASSERT_NE(rc, 2) << "could not become an unprivileged user";
    ASSERT_NE(rc, 3) << "the folder accepted a new file: the write would not fail";
    EXPECT_EQ(rc, 0);
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
    expect_folder_untouched();
}

TEST_F(RealWriteFailures, DiskFullThroughAFileSizeLimit) {
    // Bigger than the limit below, so the save cannot fit.
    std::string many;
    for (int i = 0; i < 600; ++i) many += "title " + std::to_string(1000 + i) + "\r\n";
    ASSERT_TRUE(TempDir::write(dir_.file("Vorlix.dat"), many));
    const int rc = run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        ChildChecks check;
        platform::posix::PosixFileSystem fs;
        World world(fs, dir_.path());
        world.start();
        world.add_title("C");
        const std::string status = world.main().status();
        check.expect(status.rfind(kBlacklistStatus, 0) == 0, "status: " + status);
        check.expect(status.find("File too large") != std::string::npos, "reason: " + status);
        check.expect(world.main().list().items().size() == 601, "the edit is kept in the list");
        std::printf("[write failure] file size limit: \"%s\"\n", status.c_str());
        return check.exit_code();
    });
    ASSERT_NE(rc, 2) << "could not set the file size limit";
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(TempDir::read(dir_.file("Vorlix.dat")), many);
    EXPECT_EQ(dir_.names().size(), 2u) << "a new file was left in the folder";
}

TEST_F(RealWriteFailures, AFolderInTheBlacklistsPlace) {
    ASSERT_EQ(::unlink(dir_.file("Vorlix.dat").c_str()), 0);
    ASSERT_EQ(::mkdir(dir_.file("Vorlix.dat").c_str(), 0755), 0);
    platform::posix::PosixFileSystem fs;
    World world(fs, dir_.path());
    world.start();
    EXPECT_TRUE(world.main().list().items().empty());
    world.add_title("C");
    EXPECT_EQ(world.main().status().rfind(kBlacklistStatus, 0), 0u) << world.main().status();
    EXPECT_EQ(world.main().list().items(), std::vector<std::string>{"[C]"});
    struct stat st {};
    ASSERT_EQ(::stat(dir_.file("Vorlix.dat").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(dir_.names().size(), 2u) << "a new file was left in the folder";
    std::printf("[write failure] folder in the file's place: \"%s\"\n",
                world.main().status().c_str());
}

}  // namespace
}  // namespace vorlix::reliability
