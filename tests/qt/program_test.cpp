// The program's behaviour on the real Linux adapters: Qt windows, the X11
// window system on the session's display, the autostart entry and the POSIX
// file system, with the data files in a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/program.h"
#include "adapters/posix/posix_file_system.h"
#include "adapters/qt/qt_toolkit.h"
#include "adapters/x11/x11_window_system.h"
#include "adapters/xdg/xdg_registry.h"
#include "qt_test_support.h"
#include "test_window.h"

namespace vorlix::platform::qt {
namespace {

namespace fs = std::filesystem;
using testing::control;
using testing::settle;
using testing::top_level;
using testing::wait_until;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The toolkit with the application folder moved to a temporary one.
class FolderToolkit : public QtToolkit {
public:
    explicit FolderToolkit(std::string folder) : folder_(std::move(folder)) {}
    AppInfo app_info() const override { return {folder_, "Vorlix", '/', ""}; }
    [[noreturn]] void end() override {
        ADD_FAILURE() << "the program ended";
        std::abort();
    }

private:
    std::string folder_;
};

struct RecordingRunner : CommandRunner {
    void open_url(std::string_view url) override { urls.emplace_back(url); }
    std::vector<std::string> urls;
};

class ProgramOnQt : public ::testing::Test {
protected:
    ProgramOnQt() {
        std::string t = (fs::temp_directory_path() / "vorlix-program-XXXXXX").string();
        folder = ::mkdtemp(t.data());
    }
    ~ProgramOnQt() override {
        program.reset();
        settle(20);
        fs::remove_all(folder);
    }

    void write(const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    void start() {
        toolkit = std::make_unique<FolderToolkit>(folder.string());
        windows = x11::X11WindowSystem::open();
        registry = std::make_unique<xdg::XdgRegistry>((folder / "config").string());
        program =
            std::make_unique<app::Program>(Services{*toolkit, *windows, *registry, runner, files});
        program->start();
        main_form = top_level("Form_Main");
        panel_form = top_level("Form_WindowList");
        ASSERT_NE(main_form, nullptr);
        ASSERT_NE(panel_form, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_form));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_form));
    }

    bool docked() {
        QWidget* panel = top_level("Form_WindowList");
        return panel != nullptr && panel->isVisible() &&
               panel->frameGeometry().topLeft() ==
                   QPoint(main_form->frameGeometry().right() + 3, main_form->frameGeometry().top());
    }

    QStringList titles() {
        QStringList out;
        auto* list = control<QListWidget>(main_form, "List_Title");
        for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
        return out;
    }

    void click(const char* name) { QTest::mouseClick(control(main_form, name), Qt::LeftButton); }

    // Clicks `name` and answers the message box that opens; its text.
    QString click_expecting_message(const char* name) {
        QString text;
        testing::when_modal_opens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return;
            text = box->windowTitle() + ": " + box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            box->button(QMessageBox::Ok)->click();
        });
        click(name);
        return text;
    }

    fs::path folder;
    std::unique_ptr<FolderToolkit> toolkit;
    std::unique_ptr<x11::X11WindowSystem> windows;
    std::unique_ptr<xdg::XdgRegistry> registry;
    RecordingRunner runner;
    posix::PosixFileSystem files;
    std::unique_ptr<app::Program> program;
    QWidget* main_form = nullptr;
    QWidget* panel_form = nullptr;
};

TEST_F(ProgramOnQt, StartsOnItsDataFilesWithBothWindowsDocked) {
    write("Vorlix.dat", "b\r\nA\r\nb\r\n");
    write("Vorlix.cfg", "Timer=60000\r\n");
    start();
    EXPECT_EQ(main_form->windowTitle(), "Vorlix v1.14 (build 47)");
    EXPECT_EQ(titles(), (QStringList{"[A]", "[b]", "[b]"}));
    EXPECT_EQ(control<QLabel>(main_form, "Label_Status")->text(),
              "  Blacklist loaded: 3 popup filtered");
    EXPECT_EQ(testing::centre_colour(control(main_form, "Shape_Status")), QColor(0, 192, 0));
    EXPECT_EQ(control<QPushButton>(main_form, "Command_Window")->text(), ">>  <<");
    EXPECT_TRUE(wait_until([&] { return docked(); }, 2000)) << "the panel never docked";
    EXPECT_EQ(control<QLabel>(panel_form, "Label_Site")->text(),
              "Visit our site: https://www.kelto.example/vorlix");
    EXPECT_FALSE(control<QLabel>(panel_form, "Label_Notice")->text().isEmpty());

    // The pair is centred on the 1280-pixel screen, give or take the frames,
    // which the window manager adds only once the windows are shown.
    const int left_gap = main_form->frameGeometry().left();
    const int right_gap = 1279 - panel_form->frameGeometry().right();
    EXPECT_LE(std::abs(left_gap - right_gap), 6) << left_gap << " vs " << right_gap;

    QTest::mouseClick(control(panel_form, "Label_Site"), Qt::LeftButton);
    EXPECT_EQ(runner.urls, std::vector<std::string>{"https://www.kelto.example/vorlix"});
}

TEST_F(ProgramOnQt, EditsTheBlacklistThroughRealClicksAndKeys) {
    start();
    auto* text = control<QLineEdit>(main_form, "Text_Title");
    auto* list = control<QListWidget>(main_form, "List_Title");

    EXPECT_EQ(click_expecting_message("Command_ADD"), "Vorlix: Insert a title!");
    EXPECT_EQ(click_expecting_message("Command_REMOVE"), "Vorlix: Select a title!");
    EXPECT_FALSE(fs::exists(folder / "Vorlix.dat"));

    QTest::keyClicks(text, "Win a prize");
    click("Command_ADD");
    EXPECT_EQ(text->text(), "");
    QTest::keyClicks(text, "b");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(titles(), (QStringList{"[b]", "[Win a prize]"}));
    EXPECT_EQ(slurp(folder / "Vorlix.dat"), "b\r\nWin a prize\r\n");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(text->text(), "Win a prize");
    click("Command_REMOVE");
    EXPECT_EQ(titles(), QStringList{"[b]"});
    EXPECT_EQ(text->text(), "");
    EXPECT_EQ(list->selectedItems().size(), 0);
    EXPECT_EQ(slurp(folder / "Vorlix.dat"), "b\r\n");
}

TEST_F(ProgramOnQt, SuspendAndResumeSwapThePicturesAndTheLamp) {
    start();
    QWidget* lamp = control(main_form, "Shape_Status");
    click("Command_Timer");
    EXPECT_FALSE(control(main_form, "Command_Timer")->isVisible());
    EXPECT_TRUE(control(main_form, "Command_TimerS")->isVisible());
    EXPECT_EQ(testing::centre_colour(lamp), QColor(221, 238, 0));
    click("Command_TimerS");
    EXPECT_TRUE(control(main_form, "Command_Timer")->isVisible());
    EXPECT_FALSE(control(main_form, "Command_TimerS")->isVisible());
    EXPECT_EQ(testing::centre_colour(lamp), QColor(0, 192, 0));
}

TEST_F(ProgramOnQt, PanelTogglesClosesComesBackAndFollowsTheMainWindow) {
    start();
    ASSERT_TRUE(wait_until([&] { return docked(); }, 2000));
    auto* button = control<QPushButton>(main_form, "Command_Window");

    click("Command_Window");
    EXPECT_FALSE(panel_form->isVisible());
    EXPECT_EQ(button->text(), "<<  >>");
    click("Command_Window");
    EXPECT_TRUE(panel_form->isVisible());
    EXPECT_EQ(button->text(), ">>  <<");

    // The main window moves down: the panel follows within the docking timer.
    main_form->move(main_form->frameGeometry().topLeft() + QPoint(-40, 90));
    EXPECT_TRUE(wait_until([&] { return docked(); }, 1000)) << "the panel did not follow";

    // The close box unloads the panel; the button brings a new one.
    QPointer<QWidget> old_panel = panel_form;
    testing::close_through_window_manager(panel_form);
    ASSERT_TRUE(wait_until([&] { return button->text() == "<<  >>"; }));
    EXPECT_TRUE(wait_until([&] { return old_panel.isNull(); })) << "the closed panel lingers";
    click("Command_Window");
    panel_form = top_level("Form_WindowList");
    ASSERT_NE(panel_form, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(panel_form));
    EXPECT_EQ(button->text(), ">>  <<");
    EXPECT_TRUE(wait_until([&] { return docked(); }, 2000));
}

TEST_F(ProgramOnQt, PanelListsBrowserWindowsAndHandsOverTheTitle) {
    const std::string display = std::getenv("DISPLAY");
    testing::TestWindow popup(display, "Win a prize - Microsoft Internet Explorer");
    testing::TestWindow editor(display, "notes.txt - Editor");
    ASSERT_TRUE(popup.ok());
    settle(200);
    start();
    auto* list = control<QListWidget>(panel_form, "List_Window");
    ASSERT_TRUE(wait_until([&] { return list->count() == 1; }));
    EXPECT_EQ(list->item(0)->text(), "Win a prize - Microsoft Internet Explorer");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(control<QLineEdit>(main_form, "Text_Title")->text(), "Win a prize");

    // With the filter off, every window with a title is listed, the
    // program's own main window included, never the panel itself.
    auto* only = control<QCheckBox>(panel_form, "Check_IWindows");
    QTest::mouseClick(only, Qt::LeftButton, {}, QPoint(6, only->height() / 2));
    click("Command_Window");
    click("Command_Window");
    ASSERT_TRUE(wait_until([&] { return list->count() >= 3; }));
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->item(i)->text();
    EXPECT_TRUE(shown.contains("notes.txt - Editor")) << shown.join('|').toStdString();
    EXPECT_TRUE(shown.contains("Vorlix v1.14 (build 47)")) << shown.join('|').toStdString();
    EXPECT_FALSE(shown.contains("Vorlix - Window List")) << shown.join('|').toStdString();
}

TEST_F(ProgramOnQt, AutostartBoxWritesAndDeletesTheEntry) {
    start();
    const fs::path entry = folder / "config" / "autostart" / "Kelto_Vorlix.desktop";
    auto* box = control<QCheckBox>(panel_form, "Check_Autostart");
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_NE(slurp(entry).find("\nExec=" + folder.string() + "/Vorlix\n"), std::string::npos)
        << slurp(entry);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    EXPECT_FALSE(fs::exists(entry));
}

}  // namespace
}  // namespace vorlix::platform::qt
