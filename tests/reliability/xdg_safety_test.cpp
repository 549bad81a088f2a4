// What the freedesktop stand-ins start: xdg-open gets the address as one
// argument with no shell in between, and the autostart entry, started the
// way a desktop session starts it, runs this very program.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "autostart/autostart.h"
#include "autostart/module_registry.h"
#include "adapters/xdg/desktop_entry.h"
#include "adapters/xdg/xdg_open_runner.h"
#include "adapters/xdg/xdg_registry.h"
#include "temp_dir.h"

extern char** environ;

namespace vorlix::reliability {
namespace {

std::optional<std::string> wait_for_file(const std::string& path) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        if (auto bytes = TempDir::read(path)) return bytes;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

bool make_script(const std::string& path, const std::string& body) {
    return TempDir::write(path, "#!/bin/sh\n" + body) && ::chmod(path.c_str(), 0755) == 0;
}

// The arguments of an Exec value as a desktop session reads them, written
// here from the freedesktop rules: the string escapes first, then blanks
// between arguments, double quotes with \" \` \$ \\ inside, %% for %.
std::vector<std::string> exec_arguments(const std::string& value) {
    std::string s;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char n = value[++i];
            s += n == 's' ? ' ' : n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
        } else {
            s += value[i];
        }
    }
    std::vector<std::string> args;
    std::string arg;
    bool have = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') {
            have = true;
            for (++i; i < s.size() && s[i] != '"'; ++i) {
                if (s[i] == '\\' && i + 1 < s.size()) ++i;
                arg += s[i];
            }
        } else if (s[i] == ' ') {
            if (have) args.push_back(arg);
            arg.clear();
            have = false;
        } else if (s[i] == '%' && i + 1 < s.size()) {
            if (s[++i] == '%') arg += '%';
            have = true;
        } else {
            arg += s[i];
            have = true;
        }
    }
    if (have) args.push_back(arg);
    return args;
}

TEST(XdgSafety, XdgOpenGetsTheAddressAsOneArgumentWithNoShell) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string opener = dir.file("opener");
    ASSERT_TRUE(make_script(opener, "for a; do printf '%s|' \"$a\"; done > \"$0.args\"\n"));
    const std::string address = "https://www.kelto.example/a b;touch pwned$(touch pwned2)`id`&";
    platform::xdg::XdgOpenRunner runner(opener);
    runner.open_url(address);
    EXPECT_EQ(wait_for_file(opener + ".args"), address + "|");
    EXPECT_FALSE(TempDir::read(dir.file("pwned")).has_value());
    EXPECT_FALSE(TempDir::read("pwned2").has_value());
}

class AutostartEntry : public ::testing::TestWithParam<const char*> {};

// Ticking the box in a copy whose folder is named GetParam(), then logging
// on: the session must start that copy.
TEST_P(AutostartEntry, StartsThisVeryProgram) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const std::string folder = dir.file(GetParam());
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(make_script(folder + "/vorlix", "touch \"$0.started\"\n"));
    platform::AppInfo app;
    app.path = folder;
    app.exe_name = "vorlix";
    app.separator = '/';

    platform::xdg::XdgRegistry registry(dir.file("config"));
    autostart::Check_Autostart_Click(registry, app, 1);
    // Read back, the value is the Run value's text: the path, quoted when it
    // holds a blank, with its NUL.
    const auto data = autostart::Registry_Read_Value(registry, platform::kHkeyCurrentUser,
                                                     autostart::kRunKey, autostart::kValueName);
    ASSERT_TRUE(data.has_value());
    const auto* text = std::get_if<std::string>(&*data);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*text, autostart::registration_data(app) + '\0');
    const auto entry = TempDir::read(registry.entry_path());
    ASSERT_TRUE(entry.has_value());
    const auto exec = platform::xdg::entry_value(*entry, "Exec");
    ASSERT_TRUE(exec.has_value()) << *entry;

    const std::vector<std::string> args = exec_arguments(*exec);
    ASSERT_EQ(args.size(), 1u) << "Exec=" << *exec;
    EXPECT_EQ(args[0], folder + "/vorlix") << "Exec=" << *exec;

    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0)
        << "the session could not start " << argv[0];
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(TempDir::read(folder + "/vorlix.started").has_value());
}

INSTANTIATE_TEST_SUITE_P(Folders, AutostartEntry,
                         ::testing::Values("plain", "odd$name`x`;&", "with blank"));

}  // namespace
}  // namespace vorlix::reliability
