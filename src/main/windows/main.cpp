// The Windows composition root: user32 windows and controls, advapi32's
// registry, kernel32 files and the shell's URL opener.
#include "adapters/win32/win32_command_runner.h"
#include "adapters/win32/win32_file_system.h"
#include "adapters/win32/win32_registry.h"
#include "adapters/win32/win32_toolkit.h"
#include "adapters/win32/win32_window_system.h"
#include "app/program.h"
#include "platform/platform.h"

namespace vorlix {
namespace {

class Win32Platform final {
public:
    platform::Services services() { return {toolkit_, windows_, registry_, runner_, files_}; }

private:
    adapters::win32::Win32Toolkit toolkit_;
    adapters::win32::Win32WindowSystem windows_;
    adapters::win32::Win32Registry registry_;
    adapters::win32::Win32CommandRunner runner_;
    adapters::win32::Win32FileSystem files_;
};

}  // namespace
}  // namespace vorlix

int main() {
    vorlix::Win32Platform platform;
    auto services = platform.services();
    vorlix::app::Program program(services);
    program.start();
    return services.toolkit.run();
}
