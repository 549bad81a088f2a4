// The Qt views against a recording stand-in for the behaviour: what the
// windows look like, and which user actions reach which event.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "adapters/qt/qt_toolkit.h"
#include "adapters/qt/units.h"
#include "qt_test_support.h"

namespace vorlix::platform::qt {
namespace {

using testing::close_through_window_manager;
using testing::control;
using testing::settle;
using testing::top_level;
using testing::wait_until;

struct Log {
    std::vector<std::string> events;
    std::size_t count(const std::string& e) const {
        return std::size_t(std::count(events.begin(), events.end(), e));
    }
};

struct MainRecorder : MainWindowEvents {
    explicit MainRecorder(Log& l) : log(l) {}
    void Command_ADD_Click() override { log.events.push_back("ADD"); }
    void Command_REMOVE_Click() override { log.events.push_back("REMOVE"); }
    void Text_Title_KeyDown(int key, int shift) override {
        log.events.push_back("KeyDown " + std::to_string(key) + " " + std::to_string(shift));
    }
    void List_Title_Click() override { log.events.push_back("List_Title"); }
    void Command_Timer_Click() override { log.events.push_back("Timer"); }
    void Command_TimerS_Click() override { log.events.push_back("TimerS"); }
    void Command_Window_Click() override { log.events.push_back("Window"); }
    void Form_Unload(int& cancel) override {
        log.events.push_back("Main unload");
        cancel = cancel_answer;
    }
    Log& log;
    int cancel_answer = 1;
};

struct PanelRecorder : PanelEvents {
    explicit PanelRecorder(Log& l) : log(l) {}
    void List_Window_Click() override { log.events.push_back("List_Window"); }
    void Check_Autostart_Click() override { log.events.push_back("Autostart"); }
    void Label_Site_Click() override { log.events.push_back("Site"); }
    void Form_Unload(int& cancel) override {
        log.events.push_back("Panel unload");
        cancel = cancel_answer;
        if (cancel == 0) view.reset();  // as the behaviour does: the view dies inside the call
    }
    Log& log;
    int cancel_answer = 0;
    std::unique_ptr<PanelView> view;
};

class QtViews : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_DOUBLE_EQ(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0)
            << "the pixel figures below are those of 96 dots per inch";
    }
    QtToolkit toolkit;
    Log log;
    MainRecorder main_events{log};
    PanelRecorder panel_events{log};
};

QRect px(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

bool has_hand_cursor(const QWidget* w) {
    return w->cursor().shape() == Qt::BitmapCursor && w->cursor().hotSpot() == QPoint(5, 0) &&
           w->cursor().pixmap().size() == QSize(32, 32);
}

TEST_F(QtViews, MainWindowHasEveryControlAtItsPlace) {
    auto view = toolkit.create_main_window(main_events);
    QWidget* form = top_level("Form_Main");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->size(), QSize(398, 295));
    EXPECT_FALSE(form->windowIcon().isNull());

    const struct {
        const char* name;
        QRect bounds;
    } expected[] = {
        {"Image1", px(840, 60, 4350, 465)},
        {"Text_Title", px(120, 600, 3735, 285)},
        {"Command_ADD", px(3960, 600, 915, 315)},
        {"Command_Window", px(5115, 615, 630, 330)},
        {"List_Title", px(120, 1080, 5775, 2400)},
        {"Command_REMOVE", px(720, 3600, 1590, 330)},
        {"Command_TimerS", px(3000, 3600, 2235, 435)},
        {"Command_Timer", px(3600, 3600, 1380, 435)},
        {"Shape_Status", px(5400, 3660, 255, 255)},
        {"Label_Status", px(240, 4080, 5535, 255)},
    };
    for (const auto& c : expected) {
        QWidget* w = control(form, c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.bounds) << c.name;
    }

    // The pictures at their pixel sizes, drawn from our artwork.
    const struct {
        const char* name;
        QSize size;
    } pictures[] = {{"Image1", {290, 31}},
                    {"Command_ADD", {61, 21}},
                    {"Command_REMOVE", {106, 22}},
                    {"Command_Timer", {92, 29}},
                    {"Command_TimerS", {149, 29}}};
    for (const auto& p : pictures) {
        EXPECT_EQ(control<QLabel>(form, p.name)->pixmap().size(), p.size) << p.name;
    }
    EXPECT_TRUE(control(form, "Command_Timer")->isVisibleTo(form));
    EXPECT_FALSE(control(form, "Command_TimerS")->isVisibleTo(form));

    EXPECT_EQ(control<QPushButton>(form, "Command_Window")->text(), ">>  <<");
    EXPECT_EQ(control<QLabel>(form, "Label_Status")->text(), "");
    EXPECT_EQ(control<QLabel>(form, "Label_Status")->palette().color(QPalette::Window),
              QColor(255, 255, 192));
    EXPECT_EQ(testing::centre_colour(control(form, "Shape_Status")), QColor(255, 255, 0));

    for (const char* name : {"Command_ADD", "Command_REMOVE", "Command_Timer", "Command_TimerS",
                             "Command_Window", "List_Title"}) {
        EXPECT_TRUE(has_hand_cursor(control(form, name))) << name;
    }
    EXPECT_FALSE(has_hand_cursor(control(form, "Text_Title")));

    // Tab order: the title field, the title list, the panel button; the
    // pictures take no focus.
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(QApplication::focusWidget(), control(form, "Text_Title"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control(form, "List_Title"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control(form, "Command_Window"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control(form, "Text_Title"));
    for (const char* name : {"Command_ADD", "Command_REMOVE", "Command_Timer", "Command_TimerS"}) {
        EXPECT_EQ(control(form, name)->focusPolicy(), Qt::NoFocus) << name;
    }
}

TEST_F(QtViews, MainWindowShowsWhatTheBehaviourSets) {
    auto view = toolkit.create_main_window(main_events);
    QWidget* form = top_level("Form_Main");
    view->set_caption("Vorlix v1.14 (build 47)");
    EXPECT_EQ(form->windowTitle(), "Vorlix v1.14 (build 47)");

    QWidget* lamp = control(form, "Shape_Status");
    for (auto [packed, colour] :
         {std::pair{0xC000u, QColor(0, 192, 0)}, std::pair{0xFFu, QColor(255, 0, 0)},
          std::pair{0xEEDDu, QColor(221, 238, 0)}}) {
        view->set_lamp(packed);
        EXPECT_EQ(testing::centre_colour(lamp), colour) << std::hex << packed;
    }
    // A circle: the corners keep the background.
    const QImage lamp_image = lamp->grab().toImage();
    EXPECT_NE(lamp_image.pixelColor(0, 0), QColor(221, 238, 0));

    view->set_status("  Killed 3 popup");
    EXPECT_EQ(control<QLabel>(form, "Label_Status")->text(), "  Killed 3 popup");
    view->set_active_picture_visible(false);
    view->set_suspended_picture_visible(true);
    EXPECT_FALSE(control(form, "Command_Timer")->isVisibleTo(form));
    EXPECT_TRUE(control(form, "Command_TimerS")->isVisibleTo(form));
    view->set_window_button_caption("<<  >>");
    EXPECT_EQ(control<QPushButton>(form, "Command_Window")->text(), "<<  >>");
    view->set_title_text("Ärger [1]");
    EXPECT_EQ(control<QLineEdit>(form, "Text_Title")->text(), "Ärger [1]");
    EXPECT_EQ(view->title_text(), "Ärger [1]");
}

TEST_F(QtViews, UserActionsReachTheirEvents) {
    auto view = toolkit.create_main_window(main_events);
    QWidget* form = top_level("Form_Main");
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));

    QTest::mouseClick(control(form, "Command_ADD"), Qt::LeftButton);
    QTest::mouseClick(control(form, "Command_REMOVE"), Qt::LeftButton);
    QTest::mouseClick(control(form, "Command_Timer"), Qt::LeftButton);
    QTest::mouseClick(control(form, "Command_Window"), Qt::LeftButton);
    view->set_active_picture_visible(false);
    view->set_suspended_picture_visible(true);
    QTest::mouseClick(control(form, "Command_TimerS"), Qt::LeftButton);
    // A press that ends off the picture is no click.
    QWidget* add = control(form, "Command_ADD");
    QTest::mousePress(add, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(add, Qt::LeftButton, {}, QPoint(add->width() + 20, 3));
    EXPECT_EQ(log.events, (std::vector<std::string>{"ADD", "REMOVE", "Timer", "Window", "TimerS"}));

    log.events.clear();
    auto* text = control<QLineEdit>(form, "Text_Title");
    QTest::keyClicks(text, "ab");
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(text, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(text->text(), "ab");
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"KeyDown 13 0", "KeyDown 13 1", "KeyDown 13 0"}));
}

TEST_F(QtViews, ListBoxMirrorsTheBehaviourAndReportsOnlyTheUser) {
    auto view = toolkit.create_main_window(main_events);
    QWidget* form = top_level("Form_Main");
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    ListBoxView& list = view->title_list();
    auto* widget = control<QListWidget>(form, "List_Title");

    // Entries stand where they are put, never sorted by the view.
    list.insert(0, "[b]");
    list.insert(0, "[z]");
    list.insert(2, "[a]");
    ASSERT_EQ(widget->count(), 3);
    EXPECT_EQ(widget->item(0)->text(), "[z]");
    EXPECT_EQ(widget->item(1)->text(), "[b]");
    EXPECT_EQ(widget->item(2)->text(), "[a]");
    EXPECT_EQ(list.selected(), -1);

    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                      widget->visualItemRect(widget->item(1)).center());
    EXPECT_EQ(list.selected(), 1);
    EXPECT_EQ(log.count("List_Title"), 1u);

    // The behaviour's own changes move the selection along and stay quiet.
    list.insert(0, "[0]");
    EXPECT_EQ(list.selected(), 2);
    list.remove(3);
    EXPECT_EQ(list.selected(), 2);
    list.remove(2);
    EXPECT_EQ(list.selected(), -1);
    EXPECT_EQ(log.count("List_Title"), 1u);

    // The keyboard selects too.
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Home);
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(log.count("List_Title"), 2u);

    list.clear();
    EXPECT_EQ(widget->count(), 0);
    EXPECT_EQ(list.selected(), -1);
    EXPECT_EQ(log.count("List_Title"), 2u);
    list.focus();
    EXPECT_TRUE(wait_until([&] { return widget->hasFocus(); }));
}

TEST_F(QtViews, PanelIsARedToolWindowWithItsDesignValues) {
    panel_events.view = toolkit.create_panel(panel_events);
    PanelView& panel = *panel_events.view;
    QWidget* form = top_level("Form_WindowList");
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(panel.visible());
    EXPECT_EQ(form->windowTitle(), "Vorlix - Window List");
    EXPECT_EQ(form->windowType(), Qt::Tool);
    EXPECT_FALSE(form->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form->width(), 345);
    EXPECT_EQ(form->grab().toImage().pixelColor(2, 2), QColor(255, 0, 0));

    const struct {
        const char* name;
        QRect bounds;
    } expected[] = {{"List_Window", px(120, 120, 4935, 1815)},
                    {"Check_IWindows", px(240, 2040, 3015, 255)},
                    {"Check_Autostart", px(3720, 2040, 1215, 255)},
                    {"Label_Notice", px(240, 2520, 4695, 255)},
                    {"Label_Site", px(240, 3150, 4695, 255)}};
    for (const auto& c : expected) {
        QWidget* w = control(form, c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->geometry(), c.bounds) << c.name;
    }
    auto* only = control<QCheckBox>(form, "Check_IWindows");
    auto* autostart = control<QCheckBox>(form, "Check_Autostart");
    EXPECT_EQ(only->text(), "Display only Internet Windows");
    EXPECT_EQ(autostart->text(), "Autostart");
    EXPECT_EQ(panel.Check_IWindows_value(), 1);
    EXPECT_EQ(panel.autostart_value(), 0);
    for (QWidget* w : {static_cast<QWidget*>(only), static_cast<QWidget*>(autostart),
                       control(form, "Label_Notice"), control(form, "Label_Site")}) {
        EXPECT_TRUE(w->font().bold()) << w->objectName().toStdString();
    }
    EXPECT_EQ(only->palette().color(QPalette::WindowText), QColor(253, 253, 253));
    EXPECT_EQ(control(form, "Label_Site")->palette().color(QPalette::WindowText),
              QColor(Qt::white));
    for (const char* name : {"List_Window", "Check_IWindows", "Check_Autostart", "Label_Site"}) {
        EXPECT_TRUE(has_hand_cursor(control(form, name))) << name;
    }
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(QApplication::focusWidget(), control(form, "List_Window"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), only);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), autostart);

    // The whole caption fits: the text is not cut at the control's edge.
    panel.set_site_caption("Visit our site: https://www.kelto.example/vorlix");
    auto* site = control<QLabel>(form, "Label_Site");
    EXPECT_EQ(site->text(), "Visit our site: https://www.kelto.example/vorlix");
    EXPECT_LE(site->fontMetrics().horizontalAdvance(site->text()), site->width());
    EXPECT_LE(only->sizeHint().width(), only->width());
    panel.set_notice("Only X11 windows can be listed");
    EXPECT_EQ(control<QLabel>(form, "Label_Notice")->text(), "Only X11 windows can be listed");
    EXPECT_TRUE(control<QLabel>(form, "Label_Notice")->alignment() & Qt::AlignHCenter);
}

TEST_F(QtViews, AutostartValueSetByTheProgramRaisesItsClick) {
    panel_events.view = toolkit.create_panel(panel_events);
    PanelView& panel = *panel_events.view;
    QWidget* form = top_level("Form_WindowList");
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));

    panel.set_autostart_value(1);
    EXPECT_EQ(panel.autostart_value(), 1);
    panel.set_autostart_value(1);
    EXPECT_EQ(log.events, std::vector<std::string>{"Autostart"});

    auto* autostart = control<QCheckBox>(form, "Check_Autostart");
    QTest::mouseClick(autostart, Qt::LeftButton, {}, QPoint(6, autostart->height() / 2));
    EXPECT_EQ(panel.autostart_value(), 0);
    EXPECT_EQ(log.count("Autostart"), 2u);

    // The filter switch has no handler; only its value changes.
    auto* only = control<QCheckBox>(form, "Check_IWindows");
    QTest::mouseClick(only, Qt::LeftButton, {}, QPoint(6, only->height() / 2));
    EXPECT_EQ(panel.Check_IWindows_value(), 0);
    EXPECT_EQ(log.events.size(), 2u);

    QTest::mouseClick(control(form, "Label_Site"), Qt::LeftButton);
    EXPECT_EQ(log.count("Site"), 1u);
}

TEST_F(QtViews, OuterGeometryIsInTwipsFrameIncluded) {
    auto main_view = toolkit.create_main_window(main_events);
    panel_events.view = toolkit.create_panel(panel_events);
    PanelView& panel = *panel_events.view;
    QWidget* main_form = top_level("Form_Main");
    QWidget* panel_form = top_level("Form_WindowList");

    panel.set_height(3750);
    main_view->move(1500, 1200);
    main_view->show();
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main_form));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_form));
    ASSERT_TRUE(wait_until([&] { return main_form->frameGeometry() != main_form->geometry(); }))
        << "the window manager framed no window";
    ASSERT_TRUE(wait_until([&] { return panel.height() == 3750.0f; }))
        << "outer height " << panel.height();

    EXPECT_EQ(main_view->left(), 1500.0f);
    EXPECT_EQ(main_view->top(), 1200.0f);
    EXPECT_EQ(main_view->width(), float(main_form->frameGeometry().width() * 15));
    EXPECT_GT(main_view->width(), 5970.0f);
    EXPECT_GT(main_view->height(), 4425.0f);
    EXPECT_EQ(panel_form->width(), 345);

    // Docked as the behaviour docks it; the window manager shows it there.
    panel.set_left(main_view->left() + main_view->width() + 30);
    panel.set_top(main_view->top());
    ASSERT_TRUE(wait_until([&] {
        return panel_form->frameGeometry().topLeft() ==
               QPoint(main_form->frameGeometry().right() + 3, main_form->frameGeometry().top());
    })) << "panel frame at "
        << panel_form->frameGeometry().x() << "," << panel_form->frameGeometry().y();
    EXPECT_EQ(panel.top(), main_view->top());
    EXPECT_EQ(panel.left(), main_view->left() + main_view->width() + 30);
    EXPECT_NE(panel.window_id(), 0u);
    EXPECT_EQ(panel.window_id(), WindowId(panel_form->winId()));
}

TEST_F(QtViews, PanelCloseBoxUnloadsAndTheViewMayDieInside) {
    panel_events.view = toolkit.create_panel(panel_events);
    panel_events.view->show();
    QPointer<QWidget> form = top_level("Form_WindowList");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));

    // Cancelled: the panel stays.
    panel_events.cancel_answer = 1;
    close_through_window_manager(form);
    ASSERT_TRUE(wait_until([&] { return log.count("Panel unload") == 1; }));
    settle(100);
    EXPECT_TRUE(form->isVisible());

    panel_events.cancel_answer = 0;
    close_through_window_manager(form);
    ASSERT_TRUE(wait_until([&] { return log.count("Panel unload") == 2; }));
    EXPECT_EQ(panel_events.view, nullptr);
    EXPECT_TRUE(wait_until([&] { return form.isNull(); })) << "the old panel was never deleted";

    // A new panel starts again from its design values.
    panel_events.view = toolkit.create_panel(panel_events);
    EXPECT_EQ(panel_events.view->Check_IWindows_value(), 1);
    EXPECT_EQ(panel_events.view->autostart_value(), 0);
    EXPECT_FALSE(panel_events.view->visible());
}

TEST_F(QtViews, ClosingTheMainWindowAsksTheBehaviour) {
    auto view = toolkit.create_main_window(main_events);
    QWidget* form = top_level("Form_Main");
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    close_through_window_manager(form);
    ASSERT_TRUE(wait_until([&] { return log.count("Main unload") == 1; }));
    settle(50);
    EXPECT_TRUE(form->isVisible()) << "the behaviour's cancel was not honoured";
}

TEST_F(QtViews, MessageBoxHasTheCaptionTheWarningIconAndOneOkButton) {
    auto view = toolkit.create_main_window(main_events);
    view->show();
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    testing::when_modal_opens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        buttons = int(box->buttons().size());
        EXPECT_TRUE(box->isModal());
        box->button(QMessageBox::Ok)->click();
    });
    toolkit.message_box("Insert a title!", "Vorlix", kMessageBoxExclamationOk);
    EXPECT_EQ(text, "Insert a title!");
    EXPECT_EQ(caption, "Vorlix");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, 1);
}

TEST_F(QtViews, TimersTickThroughTheEventLoopOnly) {
    int ticks = 0;
    auto silent = toolkit.create_timer([&] { ++ticks; });
    silent->set_interval(0);
    silent->set_enabled(true);
    settle(100);
    EXPECT_EQ(ticks, 0) << "interval 0 must never tick";
    EXPECT_TRUE(silent->enabled());

    // The first tick comes a whole interval after enabling.
    QElapsedTimer clock;
    qint64 first = -1;
    auto timer = toolkit.create_timer([&] {
        if (first < 0) first = clock.elapsed();
        ++ticks;
    });
    timer->set_interval(150);
    EXPECT_EQ(timer->interval(), 150);
    clock.start();
    timer->set_enabled(true);
    ASSERT_TRUE(wait_until([&] { return ticks >= 2; }));
    EXPECT_GE(first, 150);
    timer->set_enabled(false);
    const int stopped_at = ticks;
    settle(350);
    EXPECT_EQ(ticks, stopped_at);

    // No tick arrives outside the event loop, and do_events delivers one.
    timer->set_interval(1);
    timer->set_enabled(true);
    QThread::msleep(20);
    EXPECT_EQ(ticks, stopped_at);
    toolkit.do_events();
    EXPECT_GT(ticks, stopped_at);

    // A timer destroyed by its own tick ticks no more.
    std::unique_ptr<Timer> self;
    int self_ticks = 0;
    self = toolkit.create_timer([&] {
        ++self_ticks;
        self.reset();
    });
    self->set_interval(10);
    self->set_enabled(true);
    ASSERT_TRUE(wait_until([&] { return self_ticks == 1; }));
    settle(100);
    EXPECT_EQ(self_ticks, 1);
}

TEST_F(QtViews, ApplicationFactsComeFromTheExecutableAndTheScreen) {
    const AppInfo info = toolkit.app_info();
    const auto exe = std::filesystem::canonical("/proc/self/exe");
    EXPECT_EQ(info.path, exe.parent_path().string());
    EXPECT_EQ(info.exe_name, "vorlix_qt_tests");
    EXPECT_EQ(info.separator, '/');
    EXPECT_EQ(info.exe_suffix, "");
    EXPECT_TRUE(std::filesystem::exists(info.path + info.separator + info.exe_name));

    // The session's screen is 1280 x 1024 pixels.
    const ScreenSize screen = toolkit.screen_size();
    EXPECT_EQ(screen.width, 1280.0f * 15);
    EXPECT_EQ(screen.height, 1024.0f * 15);
}

}  // namespace
}  // namespace vorlix::platform::qt

namespace vorlix::platform::qt {
namespace {

TEST(Units, FollowTheScreensDotsPerInch) {
    const Units at96(96, 96);
    EXPECT_EQ(at96.x_px(5970), 398);
    EXPECT_EQ(at96.x_twips(398), 5970.0f);
    // A denser screen: 120 dots per inch, 12 twips to a pixel; the docking
    // gap of 30 twips rounds to 3 pixels there.
    const Units at120(120, 144);
    EXPECT_EQ(at120.x_px(5970), 498);
    EXPECT_EQ(at120.y_px(4425), 443);
    EXPECT_EQ(at120.x_px(30), 3);
    EXPECT_EQ(at120.x_twips(498), 5976.0f);
    EXPECT_EQ(at120.y_twips(10), 100.0f);
    EXPECT_EQ(at120.rect(120, 600, 3735, 285), QRect(10, 60, 311, 29));
}

}  // namespace
}  // namespace vorlix::platform::qt
