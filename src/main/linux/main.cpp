// The Linux composition root: Qt widgets on X11, the window system over its
// own xcb connection, the autostart entry for the Run key and xdg-open.
// Vorlix takes no command line of its own; argc and argv reach Qt only.
#include <QApplication>
#include <QSocketNotifier>
#include <cstdlib>
#include <memory>

#include "app/program.h"
#include "platform/platform.h"
#include "adapters/posix/posix_file_system.h"
#include "adapters/qt/qt_toolkit.h"
#include "adapters/x11/x11_window_system.h"
#include "adapters/xdg/xdg_open_runner.h"
#include "adapters/xdg/xdg_registry.h"

namespace vorlix {
namespace {

// The panel is named to the window system by its X window id, so Qt must
// draw on X11 too, through XWayland in a Wayland session.
int& prefer_x11(int& argc) {
    if (std::getenv("DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    return argc;
}

class LinuxPlatform {
public:
    LinuxPlatform(int& argc, char** argv)
        : app_(prefer_x11(argc), argv),
          windows_(platform::x11::X11WindowSystem::open()),
          registry_(platform::xdg::XdgRegistry::config_home_from_environment()) {
        // While scanning is suspended nothing asks the window system
        // anything; its events are still read as they come, so they never
        // pile up on our connection.
        if (const int fd = windows_->event_fd(); fd >= 0) {
            x_events_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(x_events_.get(), &QSocketNotifier::activated,
                             [this] { windows_->process_events(); });
        }
    }

    platform::Services services() {
        return platform::Services{toolkit_, *windows_, registry_, runner_, files_};
    }

private:
    QApplication app_;
    platform::qt::QtToolkit toolkit_;
    std::unique_ptr<platform::x11::X11WindowSystem> windows_;
    std::unique_ptr<QSocketNotifier> x_events_;
    platform::xdg::XdgRegistry registry_;
    platform::xdg::XdgOpenRunner runner_;
    platform::posix::PosixFileSystem files_;
};

}  // namespace
}  // namespace vorlix

int main(int argc, char** argv) {
    vorlix::LinuxPlatform platform(argc, argv);
    auto services = platform.services();
    vorlix::app::Program program(services);
    program.start();
    return services.toolkit.run();
}
