#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "adapters/win32/win32_file_system.h"
#include "adapters/win32/win32_registry.h"
#include "autostart/autostart.h"
#include "autostart/module_registry.h"
#include "core/file_rewrite.h"
#include "support/contracts/file_system_contract.h"
#include "support/contracts/registry_contract.h"
#include "support/support.h"

namespace vorlix::adapters::win32 {
namespace {

using autostart::kRunKey, autostart::kValueName;
using namespace test;  // the contract suites, named bare by the instantiation

// A folder whose name holds a blank and a character outside most code pages.
struct Win32FilePlace {
    platform::FileSystem& fs() { return files; }
    std::string path(const std::string& name) const {
        const auto utf8 = (dir / name).u8string();
        return {utf8.begin(), utf8.end()};
    }
    test::TempDir temp;
    std::filesystem::path dir = temp.path() / u8"vorlix files \u03A9";
    bool made = std::filesystem::create_directory(dir);
    Win32FileSystem files;
};
INSTANTIATE_TYPED_TEST_SUITE_P(Win32FileSystem, FileSystemContract, Win32FilePlace);

// What only kernel32 and the ANSI code page show.
struct Win32FileSystemTest : ::testing::Test, Win32FilePlace {
    std::string round_trip(const std::string& text) {
        EXPECT_TRUE(core::rewrite_file(files, path("Vorlix.dat"), text).ok());
        auto back = files.read_all(path("Vorlix.dat"));
        return back.ok() ? back.value() : back.error().message;
    }
};

TEST_F(Win32FileSystemTest, AnsiRoundTripsByteForByteTheRestGoesBehindTheMark) {
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
    ASSERT_TRUE(test::write_file(dir / "Vorlix.dat", every_byte));
    const std::string text = files.read_all(path("Vorlix.dat")).value();
    EXPECT_NE(text, every_byte) << "read as the program's UTF-8";
    const std::string mark(kUtf8Mark);
    const std::pair<std::string, std::string> cases[] = {
        {text, every_byte},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7\r\n", mark + "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB7\r\n"},
        // ANSI that would itself begin like the mark, and bytes not UTF-8.
        {"\xC3\xAF\xC2\xBB\xC2\xBF title", mark + "\xC3\xAF\xC2\xBB\xC2\xBF title"},
        {"bad \xFF\xFE bytes", mark + "bad \xFF\xFE bytes"},
    };
    for (const auto& [want, bytes] : cases) {
        EXPECT_EQ(round_trip(want), want);
        EXPECT_EQ(test::read_file(dir / "Vorlix.dat"), bytes);
    }
}

// The contract expects the Run key without the value: none is left behind.
struct Win32RegistryPlace {
    Win32RegistryPlace() { forget(); }
    ~Win32RegistryPlace() { forget(); }
    static void forget() {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey.data(), kValueName.data());
    }
    platform::Registry& registry() { return win32; }
    Win32Registry win32;
};
INSTANTIATE_TYPED_TEST_SUITE_P(Win32Registry, RegistryContract, Win32RegistryPlace);

// Value types, the counted NUL and the ANSI code page against Wine's real registry.
struct Win32RegistryTest : ::testing::Test, Win32RegistryPlace {
    std::pair<DWORD, std::string> stored() {  // as Windows holds it
        DWORD type = 0, size = 64;
        char bytes[64];
        RegGetValueA(HKEY_CURRENT_USER, kRunKey.data(), kValueName.data(), RRF_RT_ANY, &type, bytes,
                     &size);
        return {type, std::string(bytes, size)};
    }
    std::optional<autostart::RegData> read() {
        return autostart::Registry_Read_Value(win32, platform::kHkeyCurrentUser, kRunKey,
                                              kValueName);
    }
};

TEST_F(Win32RegistryTest, StringsCountTheirNulAndGoThroughTheCodePageNumbersStayNumbers) {
    autostart::Registry_Write_Value(win32, platform::kHkeyCurrentUser, kRunKey, kValueName,
                                    std::string("C:\\caf\xC3\xA9.exe"), platform::kRegSz);
    EXPECT_EQ(stored(), std::pair(DWORD{REG_SZ}, std::string("C:\\caf\xE9.exe\0", 12)));
    EXPECT_EQ(read(), autostart::RegData(std::string("C:\\caf\xC3\xA9.exe\0", 13)));
    autostart::Registry_Write_Value(win32, platform::kHkeyCurrentUser, kRunKey, kValueName,
                                    std::uint32_t{0x01020304}, platform::kRegDword);
    EXPECT_EQ(stored(), std::pair(DWORD{REG_DWORD}, std::string("\x04\x03\x02\x01", 4)));
    EXPECT_EQ(read(), autostart::RegData(std::uint32_t{0x01020304}));
}

}  // namespace
}  // namespace vorlix::adapters::win32
