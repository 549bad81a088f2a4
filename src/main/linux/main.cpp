// The Linux composition root: Qt widgets on X11 (through XWayland in a Wayland
// session), the window system chosen at start-up, the autostart entry for the
// Run key and xdg-open. Vorlix takes no command line of its own; argc and
// argv reach Qt only.
#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "adapters/posix/posix_file_system.h"
#include "adapters/qt/qt_toolkit.h"
#include "adapters/wayland/wayland_window_system.h"
#include "adapters/x11/x11_window_system.h"
#include "adapters/xdg/xdg_open_runner.h"
#include "adapters/xdg/xdg_registry.h"
#include "app/program.h"
#include "platform/platform.h"

namespace vorlix {
namespace {

// Vorlix's own windows stay on X11 wherever there is an X display, through
// XWayland in a Wayland session: there a window may place itself, so the
// panel can dock.
int& prefer_x11(int& argc) {
    if (std::getenv("DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    return argc;
}

// How the compositor names our windows: on XWayland by their X class, which
// Qt takes from the application's name; natively by the desktop file's name,
// or else the executable's.
adapters::wayland::OwnWindows own_windows() {
    std::string app_id = QCoreApplication::applicationName().toStdString();
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        const QString desktop = QGuiApplication::desktopFileName();
        app_id = (desktop.isEmpty() ? QFileInfo(QCoreApplication::applicationFilePath()).baseName()
                                    : desktop)
                     .toStdString();
    }
    return {std::move(app_id), [](platform::WindowId id) {
                const QWidget* w = QWidget::find(static_cast<WId>(id));
                return w != nullptr ? w->windowTitle().toStdString() : std::string();
            }};
}

using OpenedWindows = Result<std::unique_ptr<platform::WatchedWindowSystem>>;

// The window systems a Linux desktop may offer, in the order they are
// tried; the first that opens is used. A compositor that lists its
// toplevels shows native and XWayland windows alike. X11 always opens: on a
// Wayland desktop it sees only the XWayland windows, and without a display
// it sees nothing; its notice says which.
constexpr OpenedWindows (*kWindowSystems[])() = {
    // wlroots' foreign toplevel management (sway, labwc, Wayfire, ...)
    [] {
        return OpenedWindows(adapters::wayland::WaylandWindowSystem::open(nullptr, own_windows()));
    },
    [] { return OpenedWindows(adapters::x11::X11WindowSystem::open()); },
};

std::unique_ptr<platform::WatchedWindowSystem> open_window_system() {
    for (auto open : kWindowSystems) {
        if (auto opened = open()) return std::move(opened).value();
    }
    std::abort();  // unreachable: the last choice always opens
}

class LinuxPlatform {
public:
    LinuxPlatform(int& argc, char** argv)
        : app_(prefer_x11(argc), argv),
          windows_(open_window_system()),
          registry_(adapters::xdg::XdgRegistry::config_home_from_environment()) {
        // While scanning is suspended nothing asks the window system
        // anything; its events are still read as they come, so they never
        // pile up on our connection. A lost connection is watched no more:
        // its socket would wake the loop for ever.
        if (const int fd = windows_->event_fd(); fd >= 0) {
            events_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(events_.get(), &QSocketNotifier::activated, [this] {
                windows_->process_events();
                if (windows_->event_fd() < 0) events_->setEnabled(false);
            });
        }
    }

    platform::Services services() {
        return platform::Services{toolkit_, *windows_, registry_, runner_, files_};
    }

private:
    QApplication app_;
    adapters::qt::QtToolkit toolkit_;
    std::unique_ptr<platform::WatchedWindowSystem> windows_;
    std::unique_ptr<QSocketNotifier> events_;
    adapters::xdg::XdgRegistry registry_;
    adapters::xdg::XdgOpenRunner runner_;
    adapters::posix::PosixFileSystem files_;
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
