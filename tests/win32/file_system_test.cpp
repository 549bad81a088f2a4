#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/file_rewrite.h"
#include "adapters/win32/win32_file_system.h"
#include "adapters/win32/win32_text.h"

namespace vorlix::platform::win32 {
namespace {

// A scratch folder whose name holds a blank and a character outside most
// ANSI code pages.
class Win32FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = narrow(temp) + "vorlix files \xCE\xA9 " + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(widen(folder_).c_str(), nullptr));
    }
    void TearDown() override {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(widen(folder_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring full = widen(folder_ + "\\") + name;
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveDirectoryW(full.c_str());
                } else {
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(widen(folder_).c_str());
    }

    std::string path(const std::string& name) const { return folder_ + "\\" + name; }

    // Raw bytes, past the adapter.
    void put(const std::string& name, const std::string& bytes) {
        HANDLE h = CreateFileW(widen(path(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        ASSERT_EQ(written, bytes.size());
    }
    std::string get(const std::string& name) {
        HANDLE h =
            CreateFileW(widen(path(name)).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(1 << 16, '\0');
        DWORD got = 0;
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(h);
        bytes.resize(got);
        return bytes;
    }
    std::string read(const std::string& name) {
        auto text = fs_.read_all(path(name));
        EXPECT_TRUE(text.ok()) << text.error().message;
        return text.ok() ? text.value() : std::string();
    }
    void write(const std::string& name, const std::string& text) {
        const Status s = rewrite_file(fs_, path(name), text);
        ASSERT_TRUE(s.ok()) << s.error().message;
    }

    std::string folder_;
    Win32FileSystem fs_;
};

TEST_F(Win32FileSystemTest, AnsiFilesRoundTripByteForByte) {
    std::string every_byte;
    for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
    every_byte += "\r\n";
    put("Vorlix.dat", every_byte);

    const std::string text = read("Vorlix.dat");
    EXPECT_NE(text, every_byte) << "read as the program's UTF-8";
    write("Vorlix.dat", text);
    EXPECT_EQ(get("Vorlix.dat"), every_byte);
}

TEST_F(Win32FileSystemTest, TextOutsideTheCodePageIsStoredLosslessly) {
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 - Netscape\r\n";
    write("Vorlix.dat", cyrillic);
    EXPECT_EQ(get("Vorlix.dat"), std::string(kUtf8Mark) + cyrillic);
    EXPECT_EQ(read("Vorlix.dat"), cyrillic);

    // Text the code page holds stays ANSI, without a mark.
    write("Vorlix.dat", "Win a prize\r\ncaf\xC3\xA9\r\n");
    EXPECT_EQ(get("Vorlix.dat"), "Win a prize\r\ncaf\xE9\r\n");

    // ANSI text that would itself begin like the mark, and bytes that are
    // not UTF-8, go behind the mark too and come back unchanged.
    for (const std::string& odd : {std::string("\xC3\xAF\xC2\xBB\xC2\xBF title\r\n"),
                                   std::string("bad \xFF\xFE bytes\r\n")}) {
        write("Vorlix.dat", odd);
        EXPECT_TRUE(get("Vorlix.dat").starts_with(kUtf8Mark));
        EXPECT_EQ(read("Vorlix.dat"), odd);
    }
}

TEST_F(Win32FileSystemTest, WrittenTextIsEncodedWholeAtSyncAndClose) {
    auto file = fs_.create_new(path("new.tmp"));
    ASSERT_TRUE(file.ok()) << file.error().message;
    ASSERT_TRUE(file.value()->write("abc\r\n").ok());
    ASSERT_TRUE(file.value()->sync().ok());
    EXPECT_EQ(get("new.tmp"), "abc\r\n");
    // A later character outside the code page turns the whole file to UTF-8.
    ASSERT_TRUE(file.value()->write("\xCE\xA9\r\n").ok());
    ASSERT_TRUE(file.value()->close().ok());
    EXPECT_EQ(get("new.tmp"), std::string(kUtf8Mark) + "abc\r\n\xCE\xA9\r\n");
    EXPECT_FALSE(file.value()->write("x").ok()) << "closed";

    auto again = fs_.create_new(path("new.tmp"));
    ASSERT_FALSE(again.ok()) << "never over an existing file";
    EXPECT_NE(again.error().message.find("new.tmp"), std::string::npos);
    EXPECT_NE(again.error().message.find("(code 80)"), std::string::npos) << again.error().message;
}

TEST_F(Win32FileSystemTest, ReplaceMovesOverAnExistingFile) {
    put("Vorlix.dat", "old\r\n");
    put("fresh", "new\r\n");
    ASSERT_TRUE(fs_.replace(path("fresh"), path("Vorlix.dat")).ok());
    EXPECT_EQ(get("Vorlix.dat"), "new\r\n");
    EXPECT_EQ(get("fresh"), "<missing>");

    ASSERT_TRUE(fs_.remove(path("Vorlix.dat")).ok());
    EXPECT_EQ(get("Vorlix.dat"), "<missing>");
    const Status again = fs_.remove(path("Vorlix.dat"));
    ASSERT_FALSE(again.ok());
    EXPECT_NE(again.error().message.find("Vorlix.dat"), std::string::npos);
    const auto missing = fs_.read_all(path("Vorlix.dat"));
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find("(code 2)"), std::string::npos)
        << missing.error().message;
}

TEST_F(Win32FileSystemTest, OnlyPlainFilesExist) {
    put("plain", "x");
    put("readonly", "x");
    put("hidden", "x");
    put("system", "x");
    SetFileAttributesW(widen(path("readonly")).c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    SetFileAttributesW(widen(path("hidden")).c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(widen(path("system")).c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(CreateDirectoryW(widen(path("folder")).c_str(), nullptr));

    EXPECT_TRUE(fs_.exists(path("plain")));
    EXPECT_TRUE(fs_.exists(path("readonly")));
    EXPECT_FALSE(fs_.exists(path("hidden")));
    EXPECT_FALSE(fs_.exists(path("system")));
    EXPECT_FALSE(fs_.exists(path("folder")));
    EXPECT_FALSE(fs_.exists(path("missing")));
    EXPECT_FALSE(fs_.exists(path("pla?n"))) << "a pattern is not a name";
}

}  // namespace
}  // namespace vorlix::platform::win32
