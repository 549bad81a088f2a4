// A program that saves a blacklist of the greatest length over and over,
// through the real save path, is killed with SIGKILL at random moments:
// after every kill the file is whole, the list before the save or after it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "adapters/posix/posix_file_system.h"
#include "program_fixture.h"
#include "support/support.h"

namespace vorlix::test {
namespace {

TEST(CrashSafety, AKilledSaveLeavesTheOldListOrTheNewNeverAnythingElse) {
    TempDir dir;
    std::string old_bytes, new_bytes;
    const std::string extra = "title 16000 extra";  // sorts in the middle
    for (int i = 0; i < SortedList::kMaxEntries - 1; ++i) {
        const std::string line = "title " + std::to_string(100000 + i).substr(1) + "\r\n";
        new_bytes += (i == 16000 ? extra + "\r\n" : "") + line;
        old_bytes += line;
    }
    ASSERT_TRUE(write_file(dir.file("Vorlix.dat"), old_bytes));
    std::mt19937 gen(20061104u);
    long kills = 0, saw_old = 0, saw_new = 0, inside_write = 0;
    for (; kills < 60 && !::testing::Test::HasFailure(); ++kills) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {  // adds the extra title, removes it again, ... until killed
            platform::posix::PosixFileSystem fs;
            ProgramFixture w(&fs, dir.path().string());
            w.start();
            (void)!::write(ready[1], "r", 1);
            while (w.main().status.find("Could not") == std::string::npos) {
                const auto at = std::ranges::find(w.titles(), make_entry(extra));
                at == w.titles().end() ? w.add_title(extra)
                                       : w.remove_title(int(at - w.titles().begin()));
            }
            ::_exit(1);
        }
        const auto before = read_file(dir.file("Vorlix.dat"));
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1) << "the child did not start";
        ::close(ready[0]), ::close(ready[1]);
        // Every other kill waits for a finished save first, however slow this
        // build is, so that the file really changes between the kills.
        EXPECT_TRUE(kills % 2 == 0 ||
                    wait_until([&] { return read_file(dir.file("Vorlix.dat")) != before; },
                               std::chrono::seconds(60)));
        std::this_thread::sleep_for(std::chrono::microseconds(gen() % 100000));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "a save failed: the child ended on its own";
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().extension() == ".tmp") std::filesystem::remove(e.path()), ++inside_write;
        const auto now = read_file(dir.file("Vorlix.dat"));
        ASSERT_TRUE(now == old_bytes || now == new_bytes)
            << "after kill " << kills << ": " << (now ? now->size() : 0) << " bytes";
        (now == old_bytes ? saw_old : saw_new)++;
    }
    // Some kills must have landed inside a write, or the run proved little.
    EXPECT_TRUE(saw_old > 0 && saw_new > 0 && inside_write > 0)
        << saw_old << " old, " << saw_new << " new, " << inside_write << " inside a write";
}

}  // namespace
}  // namespace vorlix::test
