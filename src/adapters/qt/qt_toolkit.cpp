#include "adapters/qt/qt_toolkit.h"

#include <unistd.h>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "adapters/qt/controls.h"
#include "adapters/qt/forms.h"
#include "adapters/qt/units.h"

// Resources of a static library must be registered by hand, outside any
// namespace.
static void register_vorlix_art() {
    Q_INIT_RESOURCE(vorlix);
}

namespace vorlix::adapters::qt {

QtToolkit::QtToolkit() {
    register_vorlix_art();
    // The program ends through end() when its main window closes; the
    // panel alone never keeps or ends the loop.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(art("icon.png")));
}

QtToolkit::~QtToolkit() = default;

std::unique_ptr<platform::MainWindowView> QtToolkit::create_main_window(
    platform::MainWindowEvents& events) {
    return make_main_window(events);
}

std::unique_ptr<platform::PanelView> QtToolkit::create_panel(platform::PanelEvents& events) {
    return make_panel(events);
}

std::unique_ptr<platform::Timer> QtToolkit::create_timer(std::function<void()> on_tick) {
    return std::make_unique<QtTimer>(std::move(on_tick));
}

bool QtToolkit::do_events() {
    if (!pacer_.due()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

void QtToolkit::message_box(std::string_view text, std::string_view caption, int flags) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0x70) {
        case 0x10:
            icon = QMessageBox::Critical;
            break;
        case 0x20:
            icon = QMessageBox::Question;
            break;
        case 0x30:
            icon = QMessageBox::Warning;
            break;
        case 0x40:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QMessageBox box(icon, QString::fromUtf8(caption.data(), qsizetype(caption.size())),
                    QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

platform::ScreenSize QtToolkit::screen_size() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const Units units = Units::of_primary_screen();
    const QRect r = screen->geometry();
    return {units.x_twips(r.width()), units.y_twips(r.height())};
}

platform::AppInfo QtToolkit::app_info() const {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    platform::AppInfo info;
    info.path = exe.parent_path().string();
    info.exe_name = exe.filename().string();
    info.separator = '/';
    info.data_folder = data_folder_;
    return info;
}

int QtToolkit::run() {
    return QApplication::exec();
}

void QtToolkit::end() {
    // At once: no window sees another event, no destructor runs. Every
    // data file is already on disk.
    std::fflush(nullptr);
    ::_exit(0);
}

}  // namespace vorlix::adapters::qt
