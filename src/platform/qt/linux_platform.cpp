// The Linux platform: Qt widgets on X11, the window system over its own xcb
// connection, the autostart entry for the Run key and xdg-open.
#include <QApplication>
#include <QSocketNotifier>
#include <cstdlib>
#include <memory>

#include "platform/platform.h"
#include "platform/posix/posix_file_system.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/x11/x11_window_system.h"
#include "platform/xdg/xdg_open_runner.h"
#include "platform/xdg/xdg_registry.h"

namespace vorlix::platform {
namespace {

// The panel is named to the window system by its X window id, so Qt must
// draw on X11 too, through XWayland in a Wayland session.
int& prefer_x11(int& argc) {
    if (std::getenv("DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    return argc;
}

class LinuxPlatform : public Platform {
public:
    LinuxPlatform(int& argc, char** argv)
        : app_(prefer_x11(argc), argv),
          windows_(x11::X11WindowSystem::open()),
          registry_(xdg::XdgRegistry::config_home_from_environment()) {
        // While scanning is suspended nothing asks the window system
        // anything; its events are still read as they come, so they never
        // pile up on our connection.
        if (const int fd = windows_->event_fd(); fd >= 0) {
            x_events_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(x_events_.get(), &QSocketNotifier::activated,
                             [this] { windows_->process_events(); });
        }
    }

    Services services() override {
        return Services{toolkit_, *windows_, registry_, runner_, files_};
    }

private:
    QApplication app_;
    qt::QtToolkit toolkit_;
    std::unique_ptr<x11::X11WindowSystem> windows_;
    std::unique_ptr<QSocketNotifier> x_events_;
    xdg::XdgRegistry registry_;
    xdg::XdgOpenRunner runner_;
    posix::PosixFileSystem files_;
};

}  // namespace

std::unique_ptr<Platform> make_platform(int& argc, char** argv) {
    return std::make_unique<LinuxPlatform>(argc, argv);
}

}  // namespace vorlix::platform
