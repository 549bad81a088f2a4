// Nothing the program starts or writes can be turned against the user: the
// site address and the autostart path go out exactly as they are, and a save
// never writes through a link that someone else left in the folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "adapters/posix/posix_file_system.h"
#include "temp_dir.h"
#include "windowlist/module_function.h"
#include "world.h"

namespace vorlix::reliability {
namespace {

constexpr const char* kVictimBytes = "someone else's file\n";

TEST(Safety, TheSiteLabelHandsTheRunnerExactlyTheAddress) {
    test::FakeFileSystem files;
    files.add_folder("/opt/vorlix");
    World world(files, "/opt/vorlix");
    world.start();
    world.panel()->click_site();
    world.panel()->click_site();
    EXPECT_EQ(world.runner.opened(),
              (std::vector<std::string>{std::string(windowlist::kSiteAddress),
                                        std::string(windowlist::kSiteAddress)}));
}

TEST(Safety, TheRunValueHoldsExactlyThePathQuotedWhenItHasBlanks) {
    struct Case {
        const char* folder;
        const char* data;
    };
    for (const Case& c : {Case{"/opt/my programs", "\"/opt/my programs/vorlix\""},
                          Case{"/opt/tab\there", "\"/opt/tab\there/vorlix\""},
                          Case{"/opt/plain", "/opt/plain/vorlix"},
                          Case{"/opt/$(id);`id`&", "/opt/$(id);`id`&/vorlix"}}) {
        SCOPED_TRACE(c.folder);
        test::FakeFileSystem files;
        World world(files, c.folder);
        world.start();
        world.panel()->click_autostart();
        ASSERT_EQ(world.registry.written(), std::vector<std::string>{std::string(c.data) + '\0'});
        const auto stored = world.registry.get(platform::kHkeyCurrentUser, autostart::kRunKey,
                                               autostart::kValueName);
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, platform::kRegSz);
        EXPECT_EQ(stored->bytes, std::string(c.data) + '\0');
    }
}

// The real file system with someone else at work in the folder: before each
// new file is made, a link is planted at exactly its name, pointing at a file
// the program must never touch.
class PlantingFileSystem final : public platform::FileSystem {
public:
    PlantingFileSystem(std::string victim, int plant_times)
        : victim_(std::move(victim)), plant_times_(plant_times) {}

    bool exists(const std::string& path) override { return real_.exists(path); }
    Result<std::string> read_all(const std::string& path) override { return real_.read_all(path); }
    Result<std::unique_ptr<platform::WritableFile>> create_new(const std::string& path) override {
        created_.push_back(path);
        if (plant_times_ != 0) {
            --plant_times_;
            if (::symlink(victim_.c_str(), path.c_str()) == 0) ++planted_;
        }
        return real_.create_new(path);
    }
    Status replace(const std::string& from, const std::string& to) override {
        return real_.replace(from, to);
    }
    Status remove(const std::string& path) override { return real_.remove(path); }

    const std::vector<std::string>& created() const { return created_; }
    int planted() const { return planted_; }

private:
    platform::posix::PosixFileSystem real_;
    std::string victim_;
    int plant_times_;  // < 0: every time
    int planted_ = 0;
    std::vector<std::string> created_;
};

class LinksInTheFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.ok());
        ASSERT_TRUE(other_.ok());
        victim_ = other_.file("victim");
        ASSERT_TRUE(TempDir::write(victim_, kVictimBytes));
    }
    bool is_link(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    // Every new file was asked for in the application folder itself.
    void expect_created_in_folder(const PlantingFileSystem& fs) {
        ASSERT_FALSE(fs.created().empty());
        for (const std::string& p : fs.created()) {
            EXPECT_EQ(p.rfind(dir_.path() + "/", 0), 0u) << p;
            EXPECT_EQ(p.find('/', dir_.path().size() + 1), std::string::npos) << p;
        }
    }

    TempDir dir_;
    TempDir other_;
    std::string victim_;
};

TEST_F(LinksInTheFolder, ALinkAtTheNewFilesNameIsNeverFollowed) {
    PlantingFileSystem fs(victim_, 1);
    World world(fs, dir_.path());
    world.start();
    world.add_title("Win a prize");

    EXPECT_EQ(fs.planted(), 1);
    EXPECT_EQ(TempDir::read(victim_), kVictimBytes);
    EXPECT_EQ(TempDir::read(dir_.file("Vorlix.dat")), "Win a prize\r\n");
    EXPECT_FALSE(is_link(dir_.file("Vorlix.dat")));
    EXPECT_EQ(fs.created().size(), 2u) << "a second name after the taken one";
    EXPECT_TRUE(is_link(fs.created().front())) << "the planted link is left alone";
    expect_created_in_folder(fs);
}

TEST_F(LinksInTheFolder, LinksAtEveryNameMakeTheSaveFailNotWriteThroughThem) {
    PlantingFileSystem fs(victim_, -1);
    World world(fs, dir_.path());
    world.start();
    world.add_title("Win a prize");

    EXPECT_EQ(TempDir::read(victim_), kVictimBytes);
    EXPECT_GT(fs.planted(), 1);
    EXPECT_EQ(world.main().status().rfind("  Could not save the blacklist: ", 0), 0u)
        << world.main().status();
    EXPECT_EQ(world.main().list().items(), std::vector<std::string>{"[Win a prize]"});
    EXPECT_FALSE(TempDir::read(dir_.file("Vorlix.dat")).has_value());
    expect_created_in_folder(fs);
}

TEST_F(LinksInTheFolder, ALinkInTheDataFilesPlaceIsReplacedNotWrittenThrough) {
    // Read through (harmless), but the save replaces the link itself.
    ASSERT_EQ(::symlink(victim_.c_str(), dir_.file("Vorlix.dat").c_str()), 0);
    ASSERT_EQ(::symlink(victim_.c_str(), dir_.file("Vorlix_BrowserName.dat").c_str()), 0);
    PlantingFileSystem fs(victim_, 0);
    World world(fs, dir_.path());
    world.start();
    world.add_title("Win a prize");
    world.windows.add("Home - Netscape 6");
    ASSERT_TRUE(world.tick());

    EXPECT_EQ(TempDir::read(victim_), kVictimBytes);
    EXPECT_FALSE(is_link(dir_.file("Vorlix.dat")));
    EXPECT_FALSE(is_link(dir_.file("Vorlix_BrowserName.dat")));
    EXPECT_EQ(TempDir::read(dir_.file("Vorlix_BrowserName.dat")),
              std::string(kVictimBytes).substr(0, 19) + "\n\r\nNetscape 6\r\n");
    expect_created_in_folder(fs);
}

TEST_F(LinksInTheFolder, ADanglingLinkAtTheNewFilesNameCreatesNothingWhereItPoints) {
    const std::string nowhere = other_.file("created-through-a-link");
    PlantingFileSystem fs(nowhere, 1);
    World world(fs, dir_.path());
    world.start();
    world.add_title("A");
    EXPECT_EQ(fs.planted(), 1);
    EXPECT_FALSE(TempDir::read(nowhere).has_value());
    EXPECT_EQ(TempDir::read(dir_.file("Vorlix.dat")), "A\r\n");
}

}  // namespace
}  // namespace vorlix::reliability
