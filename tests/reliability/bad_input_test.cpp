// Start-up over data files that are empty, odd, huge or junk, read from a
// real folder: it must finish, show what it could read, and write back
// exactly what it shows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "adapters/posix/posix_file_system.h"
#include "temp_dir.h"
#include "world.h"

namespace vorlix::reliability {
namespace {

struct BadInput {
    std::string name;
    std::string bytes;
};

std::vector<BadInput> bad_inputs() {
    std::vector<BadInput> inputs;
    inputs.push_back({"empty", ""});
    inputs.push_back({"only CR", std::string(1000, '\r')});
    inputs.push_back({"only LF", std::string(1000, '\n')});
    inputs.push_back({"NUL bytes", std::string("a\0b\r\n\0\r\n\0\0\0", 10)});
    inputs.push_back(
        {"invalid UTF-8", "\xff\xfe\r\n\xc3\x28\r\n\xed\xa0\x80\r\n\xf8\x88\x80\x80\x80"});
    inputs.push_back({"10 MB single line", std::string(10 * 1024 * 1024, 'x')});
    std::string many;
    for (int i = 0; i < 100000; ++i) many += "line " + std::to_string(i) + "\r\n";
    inputs.push_back({"100 000 lines", std::move(many)});
    std::mt19937 gen(20061104u);
    std::string junk(1024 * 1024, '\0');
    for (char& c : junk) c = static_cast<char>(gen() & 0xFF);
    inputs.push_back({"binary junk", std::move(junk)});
    return inputs;
}

// The lines as a reader must see them, written apart from the program's
// reader: a line ends at CR LF, at a lone CR, or at the end.
std::vector<std::string> expected_lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            out.push_back(line);
            line.clear();
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += bytes[i];
        }
    }
    if (!line.empty()) out.push_back(line);
    return out;
}

long max_rss_kib() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class BadInputFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()); }

    // Puts `input` in the folder as `file`, starts the program over the
    // folder and reports how long start-up took.
    std::unique_ptr<World> load(const char* file, const BadInput& input) {
        EXPECT_TRUE(TempDir::write(dir_.file(file), input.bytes));
        auto world = std::make_unique<World>(fs_, dir_.path());
        const auto t0 = std::chrono::steady_clock::now();
        world->start();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        std::printf("[bad input] %-22s %-18s %9zu bytes: start-up %8.1f ms, peak RSS %ld KiB\n",
                    file, input.name.c_str(), input.bytes.size(), ms, max_rss_kib());
        ++tried_;
        return world;
    }

    TempDir dir_;
    platform::posix::PosixFileSystem fs_;
    static inline int tried_ = 0;
};

TEST_F(BadInputFiles, BlacklistShowsWhatItCouldReadAndSavesExactlyThat) {
    for (const BadInput& input : bad_inputs()) {
        SCOPED_TRACE(input.name);
        auto loaded = load("Vorlix.dat", input);
        World& world = *loaded;

        std::vector<std::string> lines = expected_lines(input.bytes);
        const std::size_t total = lines.size();
        if (lines.size() > static_cast<std::size_t>(SortedList::kMaxEntries)) {
            lines.resize(SortedList::kMaxEntries);
        }
        std::vector<std::string> shown;
        for (const auto& entry : world.main().list().items()) shown.push_back(entry_title(entry));
        std::vector<std::string> want = lines;
        std::sort(shown.begin(), shown.end());
        std::sort(want.begin(), want.end());
        ASSERT_EQ(shown, want);
        if (total > lines.size()) {
            EXPECT_NE(world.main().status().find(std::to_string(total - lines.size())),
                      std::string::npos)
                << world.main().status();
        }

        // An edit rewrites the file with exactly the titles shown.
        if (world.main().list().items().empty()) {
            world.add_title("after");
        } else {
            world.main().select_title(0);
            world.main().click_remove();
        }
        EXPECT_EQ(TempDir::read(dir_.file("Vorlix.dat")), world.shown_blacklist_bytes());
        EXPECT_EQ(dir_.names().size(), 1u) << "a temporary file was left behind";
    }
}

TEST_F(BadInputFiles, BrowserNamesShowWhatCouldBeReadAndLearningWritesExactlyThat) {
    for (const BadInput& input : bad_inputs()) {
        SCOPED_TRACE(input.name);
        auto loaded = load("Vorlix_BrowserName.dat", input);
        World& world = *loaded;

        std::vector<std::string> names = expected_lines(input.bytes);
        if (names.empty()) names.push_back(kIe);
        ASSERT_EQ(world.state().browser_names, names);

        world.windows.add("Page - Mozilla Reliable");
        ASSERT_TRUE(world.tick());
        names.push_back("Mozilla Reliable");
        ASSERT_EQ(world.state().browser_names, names);
        std::string bytes;
        for (const auto& n : names) bytes += n + "\r\n";
        EXPECT_EQ(TempDir::read(dir_.file("Vorlix_BrowserName.dat")), bytes);
        EXPECT_EQ(dir_.names().size(), 1u) << "a temporary file was left behind";
    }
}

TEST_F(BadInputFiles, ConfigurationAlwaysGivesAnIntervalTheTimerTakes) {
    for (const BadInput& input : bad_inputs()) {
        SCOPED_TRACE(input.name);
        auto loaded = load("Vorlix.cfg", input);
        World& world = *loaded;

        const int interval = world.Timer_Destroy().interval();
        EXPECT_GE(interval, 0);
        EXPECT_LE(interval, INT_MAX);
        if (input.bytes.empty()) {
            EXPECT_EQ(interval, 3000);
        }
        EXPECT_TRUE(world.Timer_Destroy().enabled());
        // The other files' defaults are untouched by a bad configuration.
        EXPECT_EQ(world.state().browser_names, std::vector<std::string>{kIe});
        EXPECT_EQ(TempDir::read(dir_.file("Vorlix.cfg")), input.bytes) << "never written";
    }
    std::printf("[bad input] inputs tried: %d\n", tried_);
}

// A file far bigger than any blacklist (a sparse file costs no disk): start-up
// must still finish within the memory a desktop program can count on.
TEST_F(BadInputFiles, GigabyteBlacklistDoesNotExhaustMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
    const std::string path = dir_.file("Vorlix.dat");
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 3LL << 30), 0);
        ::close(fd);
    }
    const int rc = run_in_child([&] {
        const rlimit limit{1LL << 30, 1LL << 30};  // 1 GiB of address space
        if (::setrlimit(RLIMIT_AS, &limit) != 0) return 2;
        platform::posix::PosixFileSystem fs;
        World world(fs, dir_.path());
        world.start();
        const std::string status = world.main().status();
        std::printf("[bad input] 3 GiB blacklist: start-up finished, %zu entries, status \"%s\"\n",
                    world.main().list().items().size(), status.c_str());
        // The user is told, before an edit replaces the file.
        return status.rfind("  Could not read the blacklist: ", 0) == 0 ? 0 : 3;
    });
    ASSERT_NE(rc, 2) << "could not limit the address space";
    EXPECT_NE(rc, 3) << "the status line does not say the blacklist could not be read";
    EXPECT_EQ(rc, 0) << "start-up died (exit " << rc << ") reading a 3 GiB blacklist";
}

}  // namespace
}  // namespace vorlix::reliability
