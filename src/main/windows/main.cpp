// The Windows composition root: user32 windows and controls, advapi32's
// registry, kernel32 files and the shell's URL opener.
#include <filesystem>
#include <system_error>

#include "adapters/win32/win32_command_runner.h"
#include "adapters/win32/win32_file_system.h"
#include "adapters/win32/win32_registry.h"
#include "adapters/win32/win32_text.h"
#include "adapters/win32/win32_toolkit.h"
#include "adapters/win32/win32_window_system.h"
#include "app/program.h"
#include "core/data_folder.h"
#include "platform/platform.h"

namespace vorlix {
namespace {

class Win32Platform final {
public:
    // Decided once: beside the executable while its folder takes new files,
    // else the user's application-data folder, made when missing (one that
    // cannot be made fails the first save, which says why).
    Win32Platform() {
        const std::string folder =
            core::data_folder::choose(files_, toolkit_.app_info().path, '\\',
                                      adapters::win32::Win32Toolkit::user_data_folder());
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(adapters::win32::widen(folder)),
                                            ignored);
        toolkit_.set_data_folder(folder);
    }

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
