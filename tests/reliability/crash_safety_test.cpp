// Kills a program that saves all the time, at random moments, with SIGKILL:
// after every kill the file is whole, either as before the save or as after
// it, never anything in between.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kill_check.h"
#include "temp_dir.h"
#include "world.h"

namespace vorlix::reliability {
namespace {

// The driver, started with `args`, its output read for the "ready" line.
class Driver {
public:
    explicit Driver(std::vector<std::string> args)
        : pipe_(make_pipe()),
          process_(with_driver(std::move(args)), own_environment(), pipe_.write) {
        ::close(pipe_.write);
    }
    ~Driver() { ::close(pipe_.read); }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Waits for the "ready" line; false when the driver died or took too long.
    bool wait_ready(std::chrono::milliseconds limit) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (got.find("ready\n") == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{pipe_.read, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            char buf[64];
            const ssize_t n = ::read(pipe_.read, buf, sizeof buf);
            if (n <= 0) return false;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    bool kill() { return process_.kill(); }

private:
    struct Pipe {
        int read = -1;
        int write = -1;
    };
    static Pipe make_pipe() {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC) != 0) return {};
        return {fds[0], fds[1]};
    }
    static std::vector<std::string> with_driver(std::vector<std::string> args) {
        args.insert(args.begin(), VORLIX_CRASH_DRIVER);
        return args;
    }

    Pipe pipe_;
    Spawned process_;
};

struct KillStats {
    long kills = 0;
    long mid_save = 0;  // kills that left a new file behind: the save was under way
};

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.ok()); }

    // How long the driver takes from "ready" to its first finished save, so
    // that the kills spread over whole save cycles however fast this build
    // is (the sanitizer build is many times slower).
    void calibrate(const std::vector<std::string>& args, const std::string& file) {
        Driver driver(args);
        ASSERT_TRUE(driver.wait_ready(std::chrono::seconds(120))) << "the driver did not start";
        const auto before = TempDir::read(file);
        const auto t0 = std::chrono::steady_clock::now();
        while (TempDir::read(file) == before) {
            ASSERT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(60))
                << "the driver never saved";
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        const auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now() - t0)
                               .count();
        driver.kill();
        remove_leftovers(dir_);
        delay_ = std::uniform_int_distribution<long>(0, std::max<long>(5000, 4 * cycle));
        std::printf("[crash] one save cycle takes about %.1f ms here\n", cycle / 1000.0);
    }

    // Starts the driver, lets it run for a random while, kills it.
    void one_kill(const std::vector<std::string>& args, KillStats& stats) {
        Driver driver(args);
        ASSERT_TRUE(driver.wait_ready(std::chrono::seconds(120))) << "the driver did not start";
        std::this_thread::sleep_for(std::chrono::microseconds(delay_(gen_)));
        ASSERT_TRUE(driver.kill()) << "the driver stopped on its own: a save failed";
        ++stats.kills;
        if (remove_leftovers(dir_) > 0) ++stats.mid_save;
    }

    TempDir dir_;
    std::mt19937 gen_{20061104u};
    std::uniform_int_distribution<long> delay_{0, 60000};  // microseconds
};

TEST_F(CrashSafety, BlacklistOfMaximumLengthIsAlwaysOldOrNew) {
    // 32766 titles whose order is the same with or without letter case, and
    // an extra one that goes in the middle: 32767 together.
    std::string old_bytes;
    std::string new_bytes;
    const std::string extra = "title 16000 extra";
    for (int i = 0; i < SortedList::kMaxEntries - 1; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "title %05d\r\n", i);
        // The entry "[title 16000 extra]" sorts before "[title 16000]".
        if (i == 16000) new_bytes += extra + "\r\n";
        old_bytes += line;
        new_bytes += line;
    }
    ASSERT_TRUE(TempDir::write(dir_.file("Vorlix.dat"), old_bytes));

    calibrate({dir_.path(), "blacklist", extra}, dir_.file("Vorlix.dat"));
    if (HasFatalFailure()) return;
    // Whatever the calibration left is the list the kills start from.
    ASSERT_TRUE(TempDir::read(dir_.file("Vorlix.dat")) == new_bytes ||
                TempDir::read(dir_.file("Vorlix.dat")) == old_bytes);
    KillStats stats;
    long saw_old = 0;
    long saw_new = 0;
    const long kills = scaled(200, 20);
    for (long k = 0; k < kills; ++k) {
        one_kill({dir_.path(), "blacklist", extra}, stats);
        if (HasFatalFailure()) return;
        const auto now = TempDir::read(dir_.file("Vorlix.dat"));
        ASSERT_TRUE(now.has_value()) << "the blacklist file is gone after kill " << k;
        if (*now == old_bytes) {
            ++saw_old;
        } else if (*now == new_bytes) {
            ++saw_new;
        } else {
            FAIL() << "after kill " << k << " the file is neither list: " << now->size()
                   << " bytes, " << crlf_lines(*now).size() << " lines";
        }
    }
    std::printf(
        "[crash] blacklist of %d titles: %ld kills survived, %ld during a save's write, file "
        "old %ld times, new %ld times\n",
        SortedList::kMaxEntries, stats.kills, stats.mid_save, saw_old, saw_new);
    // Saves really ran between the kills.
    EXPECT_GT(saw_old, 0);
    EXPECT_GT(saw_new, 0);
}

TEST_F(CrashSafety, BrowserNamesWhileLearningAreAlwaysAWholeList) {
    std::vector<std::string> base;
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        base.push_back("Browser " + std::to_string(i));
        bytes += base.back() + "\r\n";
    }
    ASSERT_TRUE(TempDir::write(dir_.file("Vorlix_BrowserName.dat"), bytes));

    calibrate({dir_.path(), "names", "calibration"}, dir_.file("Vorlix_BrowserName.dat"));
    if (HasFatalFailure()) return;
    std::vector<std::string> before =
        crlf_lines(*TempDir::read(dir_.file("Vorlix_BrowserName.dat")));
    ASSERT_TRUE(std::equal(base.begin(), base.end(), before.begin()));
    KillStats stats;
    const long kills = scaled(200, 20);
    for (long k = 0; k < kills; ++k) {
        one_kill({dir_.path(), "names", std::to_string(k)}, stats);
        if (HasFatalFailure()) return;
        const auto now = TempDir::read(dir_.file("Vorlix_BrowserName.dat"));
        ASSERT_TRUE(now.has_value()) << "the browser-name file is gone after kill " << k;
        const std::vector<std::string> names = crlf_lines(*now);
        ASSERT_TRUE(whole_name_list(before, names, "Mozilla r" + std::to_string(k) + "n"))
            << "after kill " << k;
        before = names;
    }
    std::printf(
        "[crash] browser names (%zu at the start, %zu at the end): %ld kills survived, %ld "
        "during a save's write\n",
        base.size(), before.size(), stats.kills, stats.mid_save);
    EXPECT_GT(before.size(), base.size()) << "no name was ever learned";
}

}  // namespace
}  // namespace vorlix::reliability
