// The Linux composition root: Qt widgets on X11 (through XWayland in a Wayland
// session), the window system chosen at start-up, the autostart entry for the
// Run key and xdg-open. Vorlix takes no command line of its own; argc and
// argv reach Qt only.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "adapters/gnome/gnome_window_system.h"
#include "adapters/kwin/kwin_window_system.h"
#include "adapters/posix/posix_file_system.h"
#include "adapters/qt/qt_toolkit.h"
#include "adapters/wayland/wayland_window_system.h"
#include "adapters/x11/x11_window_system.h"
#include "adapters/xdg/xdg_open_runner.h"
#include "adapters/xdg/xdg_registry.h"
#include "app/program.h"
#include "core/data_folder.h"
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

// Decided once: beside the executable while its folder takes new files,
// else the user's data folder, made when missing (one that cannot be made
// fails the first save, which says why).
std::string data_folder(const platform::Toolkit& toolkit, platform::FileSystem& files) {
    std::string folder = core::data_folder::choose(
        files, toolkit.app_info().path, '/',
        core::data_folder::xdg_user_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

using OpenedWindows = Result<std::unique_ptr<platform::WatchedWindowSystem>>;
using XWayland = std::unique_ptr<adapters::x11::X11WindowSystem>;

// On a Wayland desktop an X window is closed only the X11 way, through our
// own connection to XWayland, which never asks a window that does not take
// WM_DELETE_WINDOW: the compositor would kill its client, unsaved work and
// all.
auto close_x(XWayland& x) {
    return [x = x.get()](std::string_view title) { return x->post_close_titled(title); };
}

// The window systems a Linux desktop may offer, in the order they are
// tried; the first that opens is used. A compositor that lists its
// toplevels shows native and XWayland windows alike. No compositor offers
// both lists, so the order of the two costs only a look at the globals;
// KWin's comes right before X11, whose notice then says what KWin refused.
// X11 always opens: on a Wayland desktop it sees only the XWayland windows,
// and without a display it sees nothing; its notice says which.
constexpr OpenedWindows (*kWindowSystems[])(XWayland&, std::string& refused) = {
    // GNOME Shell, through our extension (without it, X11 alone answers and
    // the notice says how to turn it on); X windows go through X11
    [](XWayland& x, std::string&) {
        return OpenedWindows(adapters::gnome::GnomeWindowSystem::open(nullptr, x.get()));
    },
    // wlroots' foreign toplevel management (sway, labwc, Wayfire, ...)
    [](XWayland& x, std::string&) {
        return OpenedWindows(
            adapters::wayland::WaylandWindowSystem::open(nullptr, own_windows(), close_x(x)));
    },
    // KWin's window list (KDE Plasma), which KWin grants the installed Vorlix
    [](XWayland& x, std::string& refused) {
        // Our own windows are known by our process: their ids here are X ones.
        auto opened = adapters::kwin::KWinWindowSystem::open(
            nullptr, close_x(x), static_cast<std::uint32_t>(::getpid()));
        if (!opened && opened.error().code == EACCES) refused = opened.error().message;
        return OpenedWindows(std::move(opened));
    },
    [](XWayland& x, std::string& refused) {
        x.reset();  // X11 closes its own windows
        return OpenedWindows(adapters::x11::X11WindowSystem::open(nullptr, refused));
    },
};

std::unique_ptr<platform::WatchedWindowSystem> open_window_system(XWayland& x) {
    std::string refused;
    for (auto open : kWindowSystems) {
        if (auto opened = open(x, refused)) return std::move(opened).value();
    }
    std::abort();  // unreachable: the last choice always opens
}

// While scanning is suspended nothing asks a window system anything; its
// events are still read as they come, so they never pile up on our
// connection, and what it holds back is sent before the loop waits. A lost
// connection is watched no more: its socket would wake the loop for ever.
std::unique_ptr<QSocketNotifier> watch(platform::WatchedWindowSystem* windows) {
    const int fd = windows != nullptr ? windows->event_fd() : -1;
    if (fd < 0) return nullptr;
    auto events = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(events.get(), &QSocketNotifier::activated, [windows, notifier = events.get()] {
        windows->process_events();
        if (windows->event_fd() < 0) notifier->setEnabled(false);
    });
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     events.get(), [windows] { windows->flush(); });
    return events;
}

class LinuxPlatform {
public:
    LinuxPlatform(int& argc, char** argv)
        : app_(prefer_x11(argc), argv),
          xwayland_(adapters::x11::X11WindowSystem::open()),
          windows_(open_window_system(xwayland_)),
          registry_(adapters::xdg::XdgRegistry::config_home_from_environment()),
          events_(watch(windows_.get())),
          xwayland_events_(watch(xwayland_.get())) {
        toolkit_.set_data_folder(data_folder(toolkit_, files_));
    }

    platform::Services services() {
        return platform::Services{toolkit_, *windows_, registry_, runner_, files_};
    }

private:
    QApplication app_;
    adapters::qt::QtToolkit toolkit_;
    XWayland xwayland_;  // for closing X windows, beside a Wayland window system
    std::unique_ptr<platform::WatchedWindowSystem> windows_;
    adapters::xdg::XdgRegistry registry_;
    std::unique_ptr<QSocketNotifier> events_, xwayland_events_;
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
