#include "adapters/win32/win32_command_runner.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "adapters/win32/win32_text.h"

namespace vorlix::adapters::win32 {

void Win32CommandRunner::open_url(std::string_view url) {
    // A failure (no browser, no handler) is ignored: the user sees nothing.
    (void)ShellExecuteW(nullptr, L"open", widen(url).c_str(), nullptr, nullptr, SW_SHOWMINIMIZED);
}

}  // namespace vorlix::adapters::win32
