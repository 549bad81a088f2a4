// The program on the real Linux adapters: the Qt windows driven by real
// clicks and keys, the X11 window system, the autostart entry and the POSIX
// file system, with the data files in a scratch folder. The behaviour
// itself is proven over the fakes; this proves the wiring.
#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>
#include <optional>

#include "adapters/posix/posix_file_system.h"
#include "adapters/qt/qt_toolkit.h"
#include "adapters/x11/x11_window_system.h"
#include "adapters/xdg/xdg_registry.h"
#include "app/program.h"
#include "autostart/autostart.h"
#include "autostart/module_registry.h"
#include "fake_command_runner.h"
#include "support.h"
#include "x_client.h"

namespace vorlix::adapters::qt {
namespace {

bool wait(const std::function<bool()>& done) {
    return test::wait_until(done, std::chrono::seconds(60), [] { QApplication::processEvents(); });
}

QWidget* top_level(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name)) return w;
    return nullptr;
}

// The application folder moved to the scratch folder.
struct FolderToolkit : QtToolkit {
    platform::AppInfo app_info() const override { return {folder, "Vorlix", '/', ""}; }
    std::string folder;
};

class ProgramOnQt : public ::testing::Test {
protected:
    void start() {
        toolkit.folder = folder.path().string();
        program.emplace(platform::Services{toolkit, *windows, registry, runner, files});
        program->start();
        main_form = top_level("Form_Main");
        panel_form = top_level("Form_WindowList");
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_form));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_form));
    }
    template <class T = QWidget>
    T* control(const char* name, QWidget* form = nullptr) {
        return (form ? form : main_form)->findChild<T*>(QLatin1String(name));
    }
    void click(const char* name, QWidget* form = nullptr) {
        QWidget* w = control(name, form);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
    }
    bool docked() {
        return panel_form->frameGeometry().topLeft() ==
               main_form->frameGeometry().topRight() + QPoint(3, 0);
    }

    test::TempDir folder;
    FolderToolkit toolkit;
    std::unique_ptr<x11::X11WindowSystem> windows = x11::X11WindowSystem::open();
    xdg::XdgRegistry registry{folder.file("config")};
    test::FakeCommandRunner runner;
    posix::PosixFileSystem files;
    std::optional<app::Program> program;
    QWidget* main_form = nullptr;
    QWidget* panel_form = nullptr;
};

// Centred by the outer sizes, frames included, before the window manager
// has framed anything; with no window manager the outer size is the client's.
TEST_F(ProgramOnQt, StartsWithThePairCentredOnTheScreen) {
    start();
    ASSERT_TRUE(wait([&] { return docked(); })) << "the panel never docked";
    const QRect main = main_form->frameGeometry(), panel = panel_form->frameGeometry();
    EXPECT_LE(std::abs(main.left() - (1279 - panel.right())), 1) << main.left();
    EXPECT_LE(std::abs(main.top() - (1023 - main.bottom())), 1) << main.top();
    const bool framed = main != main_form->geometry();
    EXPECT_EQ(framed, std::getenv("VORLIX_X11_WM") == nullptr);
    // Around the pictures, Active and then Suspended among them, the form's
    // background shows through.
    for (auto shown : {platform::layout::Command_Timer, platform::layout::Command_TimerS}) {
        ASSERT_TRUE(control(platform::layout::kMain[shown].name)->isVisible());
        const QImage shot = main_form->grab().toImage(), back(":/art/background.png");
        for (auto c : {platform::layout::Command_ADD, platform::layout::Command_REMOVE, shown}) {
            const QPoint corner = control(platform::layout::kMain[c].name)->pos();
            EXPECT_EQ(shot.pixel(corner), back.pixel(corner)) << platform::layout::kMain[c].name;
        }
        click(platform::layout::kMain[shown].name);
    }
}

TEST_F(ProgramOnQt, AddsThroughRealClicksKeysAndMessageBoxes) {
    start();
    QString said;
    QTimer::singleShot(0, [&] {  // runs in the message box's own loop
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        said = box->windowTitle() + ": " + box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    click("Command_ADD");
    EXPECT_EQ(said, "Vorlix: Insert a title!");

    auto* text = control<QLineEdit>("Text_Title");
    auto* list = control<QListWidget>("List_Title");
    QTest::keyClicks(text, "Win a prize");  // Add with a title: the AT-SPI run
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(test::read_file(folder.file("Vorlix.dat")), "Win a prize\r\n");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(text->text(), "Win a prize");
}

TEST_F(ProgramOnQt, PanelListsWindowsAndComesBackAfterItsCloseBox) {
    test::XClient other(getenv("DISPLAY"), true);
    other.map(other.create("Win a prize - Microsoft Internet Explorer"));
    // Registered by a copy elsewhere: the panel's load ticks the box, whose
    // click then names this copy.
    using namespace autostart;
    Check_Autostart_Click(registry, {"/elsewhere", "Vorlix", '/', ""}, 1);
    start();
    EXPECT_TRUE(control<QCheckBox>("Check_Autostart", panel_form)->isChecked());
    const auto run = Registry_Read_Value(registry, platform::kHkeyCurrentUser, kRunKey, kValueName);
    EXPECT_STREQ(std::get<std::string>(*run).c_str(),  // REG_SZ keeps its terminator
                 registration_data(toolkit.app_info()).c_str());
    auto* list = control<QListWidget>("List_Window", panel_form);
    ASSERT_TRUE(wait([&] { return list->count() == 1; }));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(control<QLineEdit>("Text_Title")->text(), "Win a prize");

    auto* button = control<QPushButton>("Command_Window");
    other.click_close_box(WId(panel_form->winId()));
    ASSERT_TRUE(wait([&] { return button->text() == "<<  >>" && !top_level("Form_WindowList"); }));
    click("Command_Window");
    EXPECT_EQ(button->text(), ">>  <<");
    ASSERT_NE(panel_form = top_level("Form_WindowList"), nullptr);
    EXPECT_TRUE(wait([&] { return docked(); }));
}

// Ticks come from the event loop alone, as the behaviour's re-entrancy
// rules need, and a timer may end itself in its own tick.
TEST(QtTimers, TickOnlyInTheEventLoopNeverAtIntervalZeroAndMayEndThemselves) {
    QtToolkit toolkit;
    int ticks = 0;
    std::unique_ptr<platform::Timer> timer = toolkit.create_timer([&] {
        ++ticks;
        timer.reset();
    });
    timer->set_enabled(true);
    QTest::qWait(50);
    EXPECT_EQ(ticks, 0) << "an interval of 0 ticked";
    timer->set_interval(1);
    QThread::msleep(20);
    EXPECT_EQ(ticks, 0) << "a tick outside the event loop";
    toolkit.do_events();
    EXPECT_EQ(ticks, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // it ended itself
}

}  // namespace
}  // namespace vorlix::adapters::qt
