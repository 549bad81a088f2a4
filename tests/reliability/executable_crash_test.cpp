// The built Vorlix, copied into a folder of its own on a private Xvfb with a
// scan interval of 20 ms, learns a browser name on nearly every tick from a
// window that another client keeps retitling, and is killed with SIGKILL at
// a random moment: the browser-name file must always be a whole list.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kill_check.h"
#include "temp_dir.h"
#include "world.h"
#include "x_client.h"
#include "x_server.h"

namespace vorlix::reliability {
namespace {

using Clock = std::chrono::steady_clock;

TEST(ExecutableCrashSafety, BrowserNamesStayWholeWhenTheRealProgramIsKilled) {
    auto started = testing::XServer::start(false);
    ASSERT_TRUE(started.ok()) << started.error().message;
    const auto server = std::move(started.value());
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string exe = dir.file("Vorlix");
    std::filesystem::copy_file(VORLIX_EXECUTABLE, exe);
    ASSERT_TRUE(TempDir::write(dir.file("Vorlix.cfg"), "Timer=20\r\n"));
    const std::string names_file = dir.file("Vorlix_BrowserName.dat");
    std::vector<std::string> before;
    std::string bytes;
    for (int i = 0; i < 20000; ++i) {
        before.push_back("Browser " + std::to_string(i));
        bytes += before.back() + "\r\n";
    }
    ASSERT_TRUE(TempDir::write(names_file, bytes));
    const std::size_t base = before.size();

    // A page whose browser gets a new name every few milliseconds.
    std::atomic<bool> stop{false};
    std::atomic<long> run{0};
    std::thread retitler([&] {
        testing::XClient client(server->display(), false);
        const auto w = client.create("");
        client.map(w);
        for (long i = 0; !stop.load(); ++i) {
            client.set_net_name(
                w, "Page - Mozilla r" + std::to_string(run.load()) + "n" + std::to_string(i));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });

    std::vector<std::string> env;
    for (const std::string& e : own_environment()) {
        if (e.rfind("DISPLAY=", 0) != 0) env.push_back(e);
    }
    env.push_back("DISPLAY=" + server->display());
    env.push_back("QT_QPA_PLATFORM=xcb");
    std::mt19937 gen(20061104u);
    const long kills = scaled(50, 12);
    long mid_save = 0;
    double first_save_ms = 0;
    for (long k = 0; k < kills && !HasFailure(); ++k) {
        run = k;
        const auto on_disk = TempDir::read(names_file);
        Spawned vorlix({exe}, env, -1);
        ASSERT_TRUE(vorlix.started());
        // Running and saving: the file changed once.
        const auto t0 = Clock::now();
        while (TempDir::read(names_file) == on_disk) {
            ASSERT_LT(Clock::now() - t0, std::chrono::seconds(30)) << "Vorlix never saved";
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        first_save_ms = std::max(
            first_save_ms, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 100000)(gen)));
        ASSERT_TRUE(vorlix.kill()) << "Vorlix ended on its own";

        mid_save += remove_leftovers(dir) > 0 ? 1 : 0;
        const auto now = TempDir::read(names_file);
        ASSERT_TRUE(now.has_value()) << "the browser-name file is gone after kill " << k;
        const std::vector<std::string> names = crlf_lines(*now);
        ASSERT_TRUE(whole_name_list(before, names, "Mozilla r" + std::to_string(k) + "n"))
            << "after kill " << k;
        before = names;
    }
    stop = true;
    retitler.join();
    std::printf(
        "[crash] Vorlix itself: %ld kills survived, %ld during a save's write; %zu names grew "
        "to %zu; slowest start to first save %.0f ms\n",
        kills, mid_save, base, before.size(), first_save_ms);
}

}  // namespace
}  // namespace vorlix::reliability
