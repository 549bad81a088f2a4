#include "adapters/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "core/file_rewrite.h"

namespace vorlix::platform::posix {
namespace {

namespace fs = std::filesystem;

class PosixFs : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vorlix-posix-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_)) out.insert(e.path().filename().string());
        return out;
    }

    fs::path dir_;
    PosixFileSystem files_;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(PosixFs, ExistsOnlyForRegularFiles) {
    put("f", "x");
    fs::create_directory(path("d"));
    fs::create_symlink(path("f"), path("link"));
    fs::create_symlink(path("gone"), path("dangling"));
    EXPECT_TRUE(files_.exists(path("f")));
    EXPECT_TRUE(files_.exists(path("link")));  // reading through a link is fine
    EXPECT_FALSE(files_.exists(path("d")));
    EXPECT_FALSE(files_.exists(path("dangling")));
    EXPECT_FALSE(files_.exists(path("none")));
}

TEST_F(PosixFs, ReadAllGivesEveryByteOrTheSystemsReason) {
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    put("big", bytes);
    auto read = files_.read_all(path("big"));
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read.value(), bytes);

    put("empty", "");
    EXPECT_EQ(files_.read_all(path("empty")).value(), "");

    auto missing = files_.read_all(path("none"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().message, path("none") + ": No such file or directory");

    fs::create_directory(path("d"));
    auto folder = files_.read_all(path("d"));
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(contains(folder.error().message, "Is a directory")) << folder.error().message;

    // A pipe or a device in a data file's place is refused, not read for ever.
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0644), 0);
    auto pipe = files_.read_all(path("fifo"));
    ASSERT_FALSE(pipe.ok());
    EXPECT_EQ(pipe.error().message, path("fifo") + ": not a regular file");
    EXPECT_FALSE(files_.read_all("/dev/zero").ok());
    EXPECT_FALSE(files_.exists(path("fifo")));
}

TEST_F(PosixFs, CreateNewWritesAndRefusesWhatIsThere) {
    auto created = files_.create_new(path("n"));
    ASSERT_TRUE(created.ok()) << created.error().message;
    auto& file = *created.value();
    ASSERT_TRUE(file.write(std::string("a\0b\r\n", 5)).ok());
    ASSERT_TRUE(file.sync().ok());
    ASSERT_TRUE(file.close().ok());
    EXPECT_EQ(get("n"), std::string("a\0b\r\n", 5));
    EXPECT_FALSE(file.write("more").ok());  // closed
    EXPECT_FALSE(file.close().ok());

    struct stat st {};
    ASSERT_EQ(::stat(path("n").c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0644 & ~mask);

    auto again = files_.create_new(path("n"));
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().message, path("n") + ": File exists");
    EXPECT_EQ(get("n"), std::string("a\0b\r\n", 5));
}

TEST_F(PosixFs, CreateNewNeverFollowsALink) {
    put("victim", "keep");
    fs::create_symlink(path("victim"), path("link"));
    fs::create_symlink(path("elsewhere"), path("dangling"));
    EXPECT_FALSE(files_.create_new(path("link")).ok());
    EXPECT_FALSE(files_.create_new(path("dangling")).ok());
    EXPECT_EQ(get("victim"), "keep");
    EXPECT_FALSE(fs::exists(path("elsewhere")));  // not created through the link
}

TEST_F(PosixFs, ReplaceAndRemove) {
    put("old", "1");
    put("new", "2");
    ASSERT_TRUE(files_.replace(path("new"), path("old")).ok());
    EXPECT_EQ(get("old"), "2");
    EXPECT_EQ(names(), std::set<std::string>{"old"});

    fs::create_directory(path("d"));
    put("x", "3");
    const Status onto_folder = files_.replace(path("x"), path("d"));
    ASSERT_FALSE(onto_folder.ok());
    EXPECT_TRUE(contains(onto_folder.error().message, "Is a directory"))
        << onto_folder.error().message;

    ASSERT_TRUE(files_.remove(path("x")).ok());
    const Status gone = files_.remove(path("x"));
    ASSERT_FALSE(gone.ok());
    EXPECT_EQ(gone.error().message, path("x") + ": No such file or directory");
}

TEST_F(PosixFs, RewriteReplacesTheFileAndLeavesNothingElse) {
    put("Vorlix.dat", "old\r\n");
    ASSERT_TRUE(rewrite_file(files_, path("Vorlix.dat"), "A\r\nB\r\n").ok());
    EXPECT_EQ(get("Vorlix.dat"), "A\r\nB\r\n");
    ASSERT_TRUE(rewrite_file(files_, path("Vorlix.dat"), "").ok());
    EXPECT_EQ(get("Vorlix.dat"), "");
    EXPECT_TRUE(fs::exists(path("Vorlix.dat")));
    ASSERT_TRUE(rewrite_file(files_, path("New.dat"), "x\r\n").ok());
    EXPECT_EQ(names(), (std::set<std::string>{"New.dat", "Vorlix.dat"}));
}

TEST_F(PosixFs, RewriteReplacesALinkInsteadOfWritingThroughIt) {
    put("victim", "keep");
    fs::create_symlink(path("victim"), path("Vorlix.dat"));
    ASSERT_TRUE(rewrite_file(files_, path("Vorlix.dat"), "mine\r\n").ok());
    EXPECT_EQ(get("victim"), "keep");
    EXPECT_FALSE(fs::is_symlink(path("Vorlix.dat")));
    EXPECT_EQ(get("Vorlix.dat"), "mine\r\n");
}

TEST_F(PosixFs, RewriteOntoAFolderFailsCleanly) {
    fs::create_directory(path("Vorlix.dat"));
    const Status st = rewrite_file(files_, path("Vorlix.dat"), "x\r\n");
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(contains(st.error().message, "Moving it over the old file failed"))
        << st.error().message;
    EXPECT_TRUE(contains(st.error().message, "Is a directory")) << st.error().message;
    EXPECT_EQ(names(), std::set<std::string>{"Vorlix.dat"});
    EXPECT_TRUE(fs::is_directory(path("Vorlix.dat")));
}

TEST_F(PosixFs, RewriteInAFolderWithoutWriteAccess) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    put("Vorlix.dat", "old\r\n");
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    const Status st = rewrite_file(files_, path("Vorlix.dat"), "x\r\n");
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(contains(st.error().message, "Permission denied")) << st.error().message;
    EXPECT_EQ(get("Vorlix.dat"), "old\r\n");
}

TEST_F(PosixFs, RewriteThatCannotWriteKeepsTheOldFile) {
    // A file size limit makes write() fail for real (EFBIG), even as root.
    put("Vorlix.dat", "old\r\n");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status st = rewrite_file(files_, path("Vorlix.dat"), "much more than four bytes\r\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(contains(st.error().message, "Writing failed")) << st.error().message;
    EXPECT_TRUE(contains(st.error().message, "File too large")) << st.error().message;
    EXPECT_EQ(get("Vorlix.dat"), "old\r\n");
    EXPECT_EQ(names(), std::set<std::string>{"Vorlix.dat"});
}

}  // namespace
}  // namespace vorlix::platform::posix
