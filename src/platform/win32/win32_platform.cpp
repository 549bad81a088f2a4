// The Windows build's platform: user32 windows and controls, advapi32's
// registry, kernel32 files and the shell's URL opener.
#include "platform/platform.h"
#include "platform/win32/win32_command_runner.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_window_system.h"

namespace vorlix::platform {

namespace {

class Win32Platform final : public Platform {
public:
    Services services() override { return {toolkit_, windows_, registry_, runner_, files_}; }

private:
    win32::Win32Toolkit toolkit_;
    win32::Win32WindowSystem windows_;
    win32::Win32Registry registry_;
    win32::Win32CommandRunner runner_;
    win32::Win32FileSystem files_;
};

}  // namespace

std::unique_ptr<Platform> make_platform(int& /*argc*/, char** /*argv*/) {
    return std::make_unique<Win32Platform>();
}

}  // namespace vorlix::platform
