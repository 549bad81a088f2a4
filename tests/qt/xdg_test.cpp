// The Run key's stand-in on a freedesktop desktop and the xdg-open runner,
// against real files in a temporary config home.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "adapters/xdg/desktop_entry.h"
#include "adapters/xdg/xdg_open_runner.h"
#include "adapters/xdg/xdg_registry.h"

namespace vorlix::platform::xdg {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TempDir {
public:
    TempDir() {
        std::string t = (fs::temp_directory_path() / "vorlix-xdg-XXXXXX").string();
        path = ::mkdtemp(t.data());
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

class XdgRegistryTest : public ::testing::Test {
protected:
    RegKey open() {
        RegKey key = 0;
        EXPECT_EQ(registry.open_key(kHkeyCurrentUser, kRun, 0, 0x3F, key), kErrorSuccess);
        return key;
    }
    long set(RegKey key, const std::string& data_with_nul) {
        return registry.set_value(key, "Kelto_Vorlix", kRegSz,
                                  reinterpret_cast<const std::uint8_t*>(data_with_nul.data()),
                                  std::uint32_t(data_with_nul.size()));
    }
    // The value as the behaviour reads it: size first, then the bytes.
    std::optional<std::string> query(RegKey key) {
        std::uint32_t type = 0, size = 0;
        if (registry.query_value(key, "Kelto_Vorlix", type, nullptr, size) != kErrorSuccess) {
            return std::nullopt;
        }
        EXPECT_EQ(type, kRegSz);
        std::string data(size, '\0');
        EXPECT_EQ(registry.query_value(key, "Kelto_Vorlix", type,
                                       reinterpret_cast<std::uint8_t*>(data.data()), size),
                  kErrorSuccess);
        EXPECT_EQ(size, data.size());
        return data;
    }

    TempDir home;
    XdgRegistry registry{home.path.string()};
    fs::path entry = home.path / "autostart" / "Kelto_Vorlix.desktop";
};

TEST_F(XdgRegistryTest, WritingTheRunValueWritesAValidAutostartEntry) {
    const RegKey key = open();
    EXPECT_FALSE(query(key).has_value());
    ASSERT_EQ(set(key, std::string("/opt/vorlix/Vorlix\0", 19)), kErrorSuccess);
    EXPECT_EQ(registry.close_key(key), kErrorSuccess);

    ASSERT_TRUE(fs::exists(entry));
    const std::string text = slurp(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nName=Vorlix\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=/opt/vorlix/Vorlix\n"), std::string::npos) << text;
    // Nothing is left behind by the atomic write.
    EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), {}), 1);

    EXPECT_EQ(query(open()), std::string("/opt/vorlix/Vorlix\0", 19));
    EXPECT_EQ(registry.delete_value(open(), "Kelto_Vorlix"), kErrorSuccess);
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_EQ(registry.delete_value(open(), "Kelto_Vorlix"), kErrorFileNotFound);
    EXPECT_FALSE(query(open()).has_value());
}

TEST_F(XdgRegistryTest, PathsWithAwkwardCharactersSurviveTheRoundTrip) {
    // Run-key data is a command line: a program with blanks comes quoted.
    for (const std::string line :
         {"\"/home/a b/My Tools/Vorlix\"", "/tmp/it's\"quoted\"/Vorlix", "/tmp/$HOME/`x`/Vorlix",
          "/tmp/back\\slash\\\\/Vorlix", "/tmp/100%/%f/Vorlix", "\" /lead and trail \"",
          "\"/tmp/tab\there/Vorlix\"", "\"/opt/my apps/Vorlix\" --flag"}) {
        ASSERT_EQ(set(open(), line + '\0'), kErrorSuccess) << line;
        EXPECT_EQ(query(open()), line + '\0') << line << "\n" << slurp(entry);
    }
    // Exec quoting as a launcher reads it: the program one argument,
    // reserved characters inside double quotes, the string escapes on top.
    EXPECT_EQ(exec_value_for("\"/home/a b/V\""), "\"/home/a b/V\"");
    EXPECT_EQ(exec_value_for("/x/$y"), "\"/x/\\\\$y\"");
    EXPECT_EQ(exec_value_for("C:\\V.exe"), "\"C:\\\\\\\\V.exe\"");
    EXPECT_EQ(exec_value_for("/a/100%"), "/a/100%%");
}

TEST_F(XdgRegistryTest, EntriesWrittenByOthersAreRead) {
    fs::create_directories(entry.parent_path());
    std::ofstream(entry) << "# made by hand\n[Desktop Entry]\r\nName=Old\r\n"
                            "Exec = \"/old place/Vorlix\" --flag\r\n[Other]\nExec=/wrong\n";
    EXPECT_EQ(query(open()), std::string("\"/old place/Vorlix\" --flag") + '\0');

    std::ofstream(entry) << "[Desktop Entry]\nExec=/x/Vorlix\nHidden=true\n";
    EXPECT_FALSE(query(open()).has_value()) << "a hidden entry is a deleted one";
    std::ofstream(entry) << "[Desktop Entry]\nName=No command\n";
    EXPECT_FALSE(query(open()).has_value());
    std::ofstream(entry) << "[Desktop Entry]\nExec=\n";
    EXPECT_EQ(query(open()), std::string()) << "an empty command is zero bytes";
}

TEST_F(XdgRegistryTest, AnswersLikeTheRegistryForEverythingElse) {
    RegKey key = 0;
    EXPECT_EQ(registry.open_key(kHkeyCurrentUser, "Software\\Other", 0, 0x3F, key),
              kErrorFileNotFound);
    EXPECT_EQ(key, 0u);
    EXPECT_EQ(registry.open_key(0x80000002u, kRun, 0, 0x3F, key), kErrorFileNotFound);
    EXPECT_EQ(registry.close_key(0), kErrorInvalidHandle);

    // A failed open leaves 0, and every call on 0 fails in turn.
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(registry.query_value(0, "Kelto_Vorlix", type, nullptr, size), kErrorInvalidHandle);
    EXPECT_EQ(set(0, std::string("/x\0", 3)), kErrorInvalidHandle);
    EXPECT_FALSE(fs::exists(entry));

    const RegKey run = open();
    EXPECT_EQ(registry.query_value(run, "Other", type, nullptr, size), kErrorFileNotFound);
    EXPECT_EQ(registry.delete_value(run, "Other"), kErrorFileNotFound);
    EXPECT_NE(registry.set_value(run, "Other", kRegSz, nullptr, 0), kErrorSuccess);
    EXPECT_FALSE(fs::exists(entry));

    // A buffer too small gets the size it needs.
    ASSERT_EQ(set(run, std::string("/abc\0", 5)), kErrorSuccess);
    std::uint8_t small[2];
    size = sizeof small;
    EXPECT_EQ(registry.query_value(run, "Kelto_Vorlix", type, small, size), kErrorMoreData);
    EXPECT_EQ(size, 5u);
}

TEST(XdgConfigHome, ComesFromTheEnvironment) {
    const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved_xdg = old_xdg != nullptr ? old_xdg : "";
    const std::string saved_home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(XdgRegistry::config_home_from_environment(), "/somewhere/config");
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(XdgRegistry::config_home_from_environment(), "/home/someone/.config");
    EXPECT_EQ(XdgRegistry(XdgRegistry::config_home_from_environment()).entry_path(),
              "/home/someone/.config/autostart/Kelto_Vorlix.desktop");
    ::setenv("HOME", saved_home.c_str(), 1);
    if (old_xdg != nullptr) {
        ::setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

TEST(XdgOpenRunner, StartsTheOpenerWithTheAddressAndNoShell) {
    TempDir dir;
    const fs::path script = dir.path / "fake-open";
    const fs::path out = dir.path / "args";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" > '" << out.string() << ".tmp'\n"
                          << "mv '" << out.string() << ".tmp' '" << out.string() << "'\n";
    fs::permissions(script, fs::perms::owner_all);

    XdgOpenRunner runner(script.string());
    const auto start = std::chrono::steady_clock::now();
    runner.open_url("https://www.kelto.example/vorlix?a=1&b=$HOME;x");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    for (int i = 0; i < 300 && !fs::exists(out); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(slurp(out), "https://www.kelto.example/vorlix?a=1&b=$HOME;x|");

    // A missing opener is ignored.
    XdgOpenRunner missing((dir.path / "no-such-opener").string());
    missing.open_url("https://example.invalid/");
}

}  // namespace
}  // namespace vorlix::platform::xdg
