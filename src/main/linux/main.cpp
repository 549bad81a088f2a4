// The Linux composition root: Qt widgets on X11 (through XWayland in a Wayland
// session), the window system chosen at start-up, the autostart entry for the
// Run key and xdg-open. Vorlix takes no command line of its own; argc and
// argv reach Qt only.
#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdlib>
#include <functional>
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

// A window system and how to keep it current from the event loop.
struct Windows {
    std::unique_ptr<platform::WindowSystem> system;
    std::function<int()> event_fd;
    std::function<void()> process_events;
};

// A compositor that lists its toplevels shows native and XWayland windows
// alike; otherwise the X display shows the X11 ones, or nothing, and the
// X11 adapter's notice says which.
Windows choose_windows() {
    if (auto wayland = adapters::wayland::WaylandWindowSystem::open(nullptr, own_windows())) {
        auto* w = wayland.value().get();
        return {std::move(wayland.value()), [w] { return w->event_fd(); },
                [w] { w->process_events(); }};
    }
    auto x11 = adapters::x11::X11WindowSystem::open();
    auto* x = x11.get();
    return {std::move(x11), [x] { return x->event_fd(); }, [x] { x->process_events(); }};
}

class LinuxPlatform {
public:
    LinuxPlatform(int& argc, char** argv)
        : app_(prefer_x11(argc), argv),
          windows_(choose_windows()),
          registry_(adapters::xdg::XdgRegistry::config_home_from_environment()) {
        // While scanning is suspended nothing asks the window system
        // anything; its events are still read as they come, so they never
        // pile up on our connection. A lost connection is watched no more:
        // its socket would wake the loop for ever.
        if (const int fd = windows_.event_fd(); fd >= 0) {
            events_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            QObject::connect(events_.get(), &QSocketNotifier::activated, [this] {
                windows_.process_events();
                if (windows_.event_fd() < 0) events_->setEnabled(false);
            });
        }
    }

    platform::Services services() {
        return platform::Services{toolkit_, *windows_.system, registry_, runner_, files_};
    }

private:
    QApplication app_;
    adapters::qt::QtToolkit toolkit_;
    Windows windows_;
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
