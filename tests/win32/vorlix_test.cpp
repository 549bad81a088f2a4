#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "autostart/autostart.h"
#include "support/support.h"
#include "test_window.h"

namespace vorlix {
namespace {

using namespace std::chrono_literals;
constexpr auto pump = test::pump_messages;

// Vorlix.exe in a folder whose name holds a blank, started from another
// folder: it closes the blacklisted pop-up, keeps the window that only
// shares its title, and ticking Autostart stores its quoted path.
TEST(Win32Vorlix, ClosesTheBlacklistedPopUpAndStoresItsQuotedPathForAutostart) {
    const char* exe = std::getenv("VORLIX_EXE");  // a Unix path: Wine's Z: drive is current
    ASSERT_NE(exe, nullptr);
    test::TempDir temp;
    const auto app = temp.path() / "Vorlix app";
    std::filesystem::create_directory(app);
    std::filesystem::copy_file(exe, app / "Vorlix.exe");
    ASSERT_TRUE(test::write_file(app / "Vorlix.cfg", "Scan: 500\r\n"));
    ASSERT_TRUE(test::write_file(app / "Vorlix.dat", "Win a prize\r\n"));
    test::TestWindow popup(L"Win a prize - Microsoft Internet Explorer"), bare(L"Win a prize");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + (app / "Vorlix.exe").wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               temp.path().c_str(), &si, &pi));
    EXPECT_TRUE(test::wait_until([&] { return popup.close_requests > 0; }, 20s, pump));
    test::wait_until([] { return false; }, 1200ms, pump);  // two more scan ticks
    EXPECT_EQ(bare.close_requests, 0);

    HWND panel = FindWindowW(nullptr, L"Vorlix - Window List");
    PostMessageW(FindWindowExW(panel, nullptr, L"BUTTON", L"Autostart"), BM_CLICK, 0, 0);
    char value[512] = {};
    EXPECT_TRUE(test::wait_until(
        [&] {
            DWORD size = sizeof value - 1;
            RegGetValueA(HKEY_CURRENT_USER, autostart::kRunKey.data(), autostart::kValueName.data(),
                         RRF_RT_REG_SZ, nullptr, value, &size);
            return value == "\"" + (app / "Vorlix.exe").string() + "\"";
        },
        5s, pump))
        << value;
    RegDeleteKeyValueA(HKEY_CURRENT_USER, autostart::kRunKey.data(), autostart::kValueName.data());
    PostMessageW(FindWindowW(nullptr, L"Vorlix v1.14 (build 47)"), WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0) << "closing ends it";
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

}  // namespace
}  // namespace vorlix
