#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <variant>
#include <vector>

#include "autostart/autostart.h"
#include "autostart/module_registry.h"
#include "adapters/win32/win32_registry.h"

namespace vorlix::platform::win32 {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kName[] = "Kelto_Vorlix";

// Wine's real registry, the Run key of the current user; every test starts
// and ends without the program's value.
class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &run_, nullptr),
                  ERROR_SUCCESS);
        RegDeleteValueA(run_, kName);
    }
    void TearDown() override {
        RegDeleteValueA(run_, kName);
        RegCloseKey(run_);
    }

    void store(DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(run_, kName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // The stored value as Windows has it, or nothing.
    bool stored(DWORD& type, std::string& bytes) {
        DWORD size = 0;
        if (RegQueryValueExA(run_, kName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return false;
        }
        bytes.assign(size, '\0');
        return RegQueryValueExA(run_, kName, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                                &size) == ERROR_SUCCESS;
    }
    std::optional<autostart::RegData> read() {
        return autostart::Registry_Read_Value(registry_, kHkeyCurrentUser, kRun, kName);
    }

    Win32Registry registry_;
    HKEY run_ = nullptr;
};

TEST_F(Win32RegistryTest, WritesReadsAndDeletesTheRunValue) {
    autostart::Registry_Write_Value(registry_, kHkeyCurrentUser, kRun, kName,
                                    std::string("C:\\Vorlix\\Vorlix.exe"), kRegSz);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(stored(type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("C:\\Vorlix\\Vorlix.exe\0", 21)) << "the NUL is counted";

    EXPECT_EQ(read(), autostart::RegData(std::string("C:\\Vorlix\\Vorlix.exe\0", 21)));

    autostart::Registry_Delete_Value(registry_, kHkeyCurrentUser, kRun, kName);
    EXPECT_FALSE(stored(type, bytes));
    EXPECT_EQ(read(), std::nullopt);
    // Deleting again changes nothing and fails quietly.
    autostart::Registry_Delete_Value(registry_, kHkeyCurrentUser, kRun, kName);
    EXPECT_FALSE(stored(type, bytes));
}

TEST_F(Win32RegistryTest, StringValuesWrittenElsewhereReadAsStored) {
    store(REG_SZ, "");
    EXPECT_EQ(read(), autostart::RegData(std::string()));
    EXPECT_FALSE(autostart::is_registered(registry_)) << "zero bytes";

    store(REG_SZ, std::string(1, '\0'));
    EXPECT_EQ(read(), autostart::RegData(std::string(1, '\0')));
    EXPECT_TRUE(autostart::is_registered(registry_)) << "a lone NUL is one character";

    store(REG_SZ, std::string("D:\\Other copy\\Vorlix.exe\0", 25));
    EXPECT_EQ(read(), autostart::RegData(std::string("D:\\Other copy\\Vorlix.exe\0", 25)));
    EXPECT_TRUE(autostart::is_registered(registry_));
}

TEST_F(Win32RegistryTest, NumbersAndOtherTypes) {
    const DWORD number = 0x01020304;
    store(REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4));
    EXPECT_EQ(read(), autostart::RegData(std::uint32_t{0x01020304}));

    store(REG_BINARY, std::string("\x01\x02\x03", 3));
    EXPECT_EQ(read(), std::nullopt);
    EXPECT_FALSE(autostart::is_registered(registry_));

    autostart::Registry_Write_Value(registry_, kHkeyCurrentUser, kRun, kName, std::uint32_t{7},
                                    kRegDword);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(stored(type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(bytes, std::string("\x07\0\0\0", 4));
}

TEST_F(Win32RegistryTest, TickingStoresTheQuotedPathOfAFolderWithBlanks) {
    AppInfo app;
    app.path = "C:\\Program Files\\Vorlix copy";
    app.exe_name = "Vorlix";
    app.separator = '\\';
    app.exe_suffix = ".exe";
    autostart::Check_Autostart_Click(registry_, app, 1);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(stored(type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("\"C:\\Program Files\\Vorlix copy\\Vorlix.exe\"\0", 42));

    autostart::Check_Autostart_Click(registry_, app, 0);
    EXPECT_FALSE(stored(type, bytes));
}

TEST_F(Win32RegistryTest, TheAdapterKeepsWin32sCodesAndHandles) {
    RegKey key = 0x1234;
    EXPECT_EQ(registry_.open_key(kHkeyCurrentUser, "Software\\No such key for Vorlix", 0,
                                 autostart::kAccessMask, key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0x1234u) << "written only on success";
    EXPECT_EQ(registry_.close_key(0), kErrorInvalidHandle);

    key = 0;
    ASSERT_EQ(registry_.open_key(kHkeyCurrentUser, kRun, 0, autostart::kAccessMask, key),
              kErrorSuccess);
    ASSERT_NE(key, 0u);
    // Text arrives as UTF-8 and is stored in the ANSI code page: é is one
    // byte there and two bytes here.
    const std::string text = "caf\xC3\xA9";
    const std::string with_nul = text + '\0';
    EXPECT_EQ(registry_.set_value(key, kName, kRegSz,
                                  reinterpret_cast<const std::uint8_t*>(with_nul.data()),
                                  static_cast<std::uint32_t>(with_nul.size())),
              kErrorSuccess);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(stored(type, bytes));
    EXPECT_EQ(bytes, std::string("caf\xE9\0", 5));

    std::uint32_t value_type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(registry_.query_value(key, kName, value_type, nullptr, size), kErrorSuccess);
    EXPECT_EQ(value_type, kRegSz);
    EXPECT_EQ(size, with_nul.size());
    std::vector<std::uint8_t> small(2);
    size = 2;
    EXPECT_EQ(registry_.query_value(key, kName, value_type, small.data(), size), kErrorMoreData);
    EXPECT_EQ(size, with_nul.size());
    std::vector<std::uint8_t> buffer(size);
    EXPECT_EQ(registry_.query_value(key, kName, value_type, buffer.data(), size), kErrorSuccess);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), with_nul);

    EXPECT_EQ(registry_.close_key(key), kErrorSuccess);
}

}  // namespace
}  // namespace vorlix::platform::win32
