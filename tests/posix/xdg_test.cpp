// The freedesktop stand-ins against real files: the Run key as an autostart
// entry, and xdg-open started without a shell.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "adapters/xdg/desktop_entry.h"
#include "adapters/xdg/xdg_open_runner.h"
#include "adapters/xdg/xdg_registry.h"
#include "autostart/autostart.h"
#include "autostart/module_registry.h"
#include "support/contracts/registry_contract.h"
#include "support/support.h"

namespace vorlix::test {
namespace {

struct XdgPlace {
    platform::Registry& registry() { return xdg; }
    TempDir home;
    adapters::xdg::XdgRegistry xdg{home.file("config")};
};
INSTANTIATE_TYPED_TEST_SUITE_P(Xdg, RegistryContract, XdgPlace);

std::optional<std::string> run_value(platform::Registry& registry) {
    const auto data = autostart::Registry_Read_Value(registry, platform::kHkeyCurrentUser,
                                                     autostart::kRunKey, autostart::kValueName);
    if (!data) return std::nullopt;
    return std::get<std::string>(*data);
}

// An Exec value as a desktop session runs it, written here from the
// freedesktop rules: the string escapes undone and %% read as %, the rest is
// split and quoted as the shell does inside double quotes.
std::string exec_command(const std::string& value) {
    std::string s;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%') ++i;  // %% is one percent sign
        const char n = value[i] == '\\' && i + 1 < value.size() ? value[++i] : 0;
        s += n == 0 ? value[i] : n == 's' ? ' ' : n == 'n' ? '\n' : n == 't' ? '\t' : n;
    }
    return s;
}

class XdgAutostart : public ::testing::TestWithParam<const char*> {};

// Ticking the box in a copy whose folder is named GetParam(), then logging
// on: the session starts that very copy, whatever its path holds.
TEST_P(XdgAutostart, TheEntryStartsThisVeryProgram) {
    XdgPlace place;
    const std::string folder = place.home.file(GetParam());
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    ASSERT_TRUE(write_file(folder + "/vorlix", "#!/bin/sh\n[ $# = 0 ] && touch \"$0.started\"\n"));
    ASSERT_EQ(::chmod((folder + "/vorlix").c_str(), 0755), 0);
    const platform::AppInfo app{folder, "vorlix", '/', ""};
    autostart::Check_Autostart_Click(place.xdg, app, 1);
    EXPECT_EQ(run_value(place.xdg), autostart::registration_data(app) + '\0');

    const auto exec = adapters::xdg::entry_value(*read_file(place.xdg.entry_path()), "Exec");
    ASSERT_TRUE(exec);
    EXPECT_EQ(std::system(("exec " + exec_command(*exec)).c_str()), 0) << "Exec=" << *exec;
    EXPECT_TRUE(read_file(folder + "/vorlix.started").has_value());
}

INSTANTIATE_TEST_SUITE_P(Folders, XdgAutostart,
                         ::testing::Values("plain", "odd$name`x`;&", "with blank"));

TEST(XdgRegistry, EntriesWrittenByOthersAreReadAndFailuresCarryTheSystemsReason) {
    XdgPlace place;
    std::filesystem::create_directories(place.home.file("config/autostart"));
    const std::string entry = place.xdg.entry_path();
    ASSERT_TRUE(write_file(entry,
                           "# by hand\n[Desktop Entry]\r\nExec = \"/old place/V\" -f\r\n"
                           "[Other]\nExec=/wrong\n"));
    EXPECT_EQ(run_value(place.xdg), std::string("\"/old place/V\" -f") + '\0');
    ASSERT_TRUE(write_file(entry, "[Desktop Entry]\nExec=/x/V\nHidden=true\n"));
    EXPECT_EQ(run_value(place.xdg), std::nullopt) << "a hidden entry is a deleted one";

    // A folder in the entry's place: the rewrite cannot move over it.
    std::filesystem::remove(entry);
    std::filesystem::create_directory(entry);
    platform::RegKey key = 0;
    ASSERT_EQ(place.xdg.open_key(platform::kHkeyCurrentUser, autostart::kRunKey, 0, 0, key), 0);
    EXPECT_EQ(place.xdg.set_value(key, autostart::kValueName, platform::kRegSz,
                                  reinterpret_cast<const std::uint8_t*>("/v"), 3),
              5 /* ERROR_ACCESS_DENIED */);
    EXPECT_NE(place.xdg.last_error().find("Is a directory"), std::string::npos)
        << place.xdg.last_error();
}

TEST(XdgOpenRunner, GetsTheAddressAsOneArgumentWithNoShell) {
    TempDir dir;
    const std::string opener = dir.file("opener");
    ASSERT_TRUE(
        write_file(opener, "#!/bin/sh\nfor a; do printf '%s|' \"$a\"; done > \"$0.args\"\n"));
    ASSERT_EQ(::chmod(opener.c_str(), 0755), 0);
    const std::string address = "https://www.kelto.example/a b;touch pwned$(touch pwned)`id`&";
    adapters::xdg::XdgOpenRunner(opener).open_url(address);
    EXPECT_TRUE(wait_until([&] { return read_file(opener + ".args") == address + "|"; }));
    EXPECT_FALSE(std::filesystem::exists(dir.file("pwned")));
    adapters::xdg::XdgOpenRunner(dir.file("no-such-opener")).open_url(address);  // ignored
}

}  // namespace
}  // namespace vorlix::test
