#include <QMetaObject>
#include <QPainter>
#include <QPushButton>

#include <optional>

#include "adapters/qt/form.h"
#include "adapters/qt/forms.h"
#include "platform/form_layout.h"

namespace vorlix::adapters::qt {
namespace {

using Events = platform::MainWindowEvents;
using namespace platform::layout;

// Where the table puts control `c`, in pixels.
QRect bounds(const Units& units, MainControl c) {
    const Bounds& b = kMain[c].bounds;
    return units.rect(b.left, b.top, b.width, b.height);
}

class MainForm : public Form<Events> {
public:
    explicit MainForm(Events& events) : Form(events, "Form_Main") {
        resize(units_.x_px(kMainWidth), units_.y_px(kMainHeight));

        auto* banner = new QLabel(this);
        banner->setObjectName(QLatin1String(kMain[Image1].name));
        banner->setPixmap(art("banner.png"));
        banner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        banner->setGeometry(bounds(units_, Image1));
        banner->setAccessibleName(QString::fromUtf8(kMain[Image1].spoken));

        text_ = new TitleEdit(this, [this](int key) {
            if (events_ != nullptr) events_->Text_Title_KeyDown(key);
        });
        text_->setGeometry(bounds(units_, Text_Title));

        install_accessible_roles();
        QWidget* control[kMainControls] = {};
        control[Text_Title] = text_;
        text_->setAccessibleName(QString::fromUtf8(kMain[Text_Title].spoken));

        control[Command_ADD] = picture(Command_ADD, "add.png", &Events::Command_ADD_Click);

        window_ = new QPushButton(QString::fromUtf8(kMain[Command_Window].caption), this);
        window_->setObjectName(QLatin1String(kMain[Command_Window].name));
        window_->setCursor(hand_cursor());
        window_->setGeometry(bounds(units_, Command_Window));
        window_->setAccessibleName(QString::fromUtf8(kMain[Command_Window].spoken));
        window_->setAutoDefault(true);  // Return presses it, as Space does
        control[Command_Window] = window_;
        connect(window_, &QPushButton::clicked, this, on(&Events::Command_Window_Click));

        list_ = new ListBox(this, kMain[List_Title].name, on(&Events::List_Title_Click));
        list_->setGeometry(bounds(units_, List_Title));
        list_->setAccessibleName(QString::fromUtf8(kMain[List_Title].spoken));
        control[List_Title] = list_;

        control[Command_REMOVE] =
            picture(Command_REMOVE, "remove.png", &Events::Command_REMOVE_Click);
        suspended_ = picture(Command_TimerS, "suspended.png", &Events::Command_TimerS_Click);
        suspended_->hide();
        control[Command_TimerS] = suspended_;
        active_ = picture(Command_Timer, "active.png", &Events::Command_Timer_Click);
        control[Command_Timer] = active_;

        lamp_ = new StatusLamp(this, kMain[Shape_Status].name, kMain[Shape_Status].spoken);
        lamp_->setGeometry(bounds(units_, Shape_Status));

        status_ = new StatusLine(this, kMain[Label_Status].name);
        status_->setAutoFillBackground(true);
        QPalette palette = status_->palette();
        palette.setColor(QPalette::Window, packed_colour(0xC0FFFF));
        status_->setPalette(palette);
        status_->setGeometry(bounds(units_, Label_Status));

        for (std::size_t i = 1; i < kMainTabOrder.size(); ++i) {
            setTabOrder(control[kMainTabOrder[i - 1]], control[kMainTabOrder[i]]);
        }
        text_->setFocus(Qt::OtherFocusReason);
    }

    TitleEdit* text() const { return text_; }
    ListBox* list() const { return list_; }
    StatusLamp* lamp() const { return lamp_; }
    QLabel* status() const { return status_; }
    PictureButton* active() const { return active_; }
    PictureButton* suspended() const { return suspended_; }
    QPushButton* window_button() const { return window_; }
    Announcer& announcer() { return announcer_; }

    // A scan may close hundreds of pop-ups between two passes of the event
    // loop, where nothing is painted or read out: the status line is set,
    // and its news told, once for all of them, at the next pass.
    void set_status_soon(QString text) {
        const bool queued = pending_status_.has_value();
        pending_status_ = std::move(text);
        if (!queued)
            QMetaObject::invokeMethod(
                this, [this] { set_status_now(); }, Qt::QueuedConnection);
    }
    void set_status_now() {
        if (!pending_status_) return;
        status_->setText(*pending_status_);
        announcer_.announce(*pending_status_);
        pending_status_.reset();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.drawPixmap(0, 0, background_);
    }

private:
    PictureButton* picture(MainControl c, const char* art_name, void (Events::*click)()) {
        auto* button =
            new PictureButton(this, kMain[c].name, kMain[c].spoken, art(art_name), on(click));
        button->setGeometry(bounds(units_, c));
        return button;
    }

    QPixmap background_ = art("background.png");
    TitleEdit* text_;
    QPushButton* window_;
    ListBox* list_;
    PictureButton* suspended_;
    PictureButton* active_;
    StatusLamp* lamp_;
    QLabel* status_;
    Announcer announcer_{this};
    std::optional<QString> pending_status_;
};

class QtMainWindow : public FormView<MainForm, platform::MainWindowView> {
public:
    explicit QtMainWindow(Events& events) : FormView(new MainForm(events)) {}

    void set_caption(std::string_view caption) override { form_->setWindowTitle(text_of(caption)); }
    void move(float left, float top) override { form_->move(u().x_px(left), u().y_px(top)); }
    void show() override {
        form_->show();
        form_->raise();
        form_->activateWindow();
    }

    std::string title_text() const override { return form_->text()->text().toStdString(); }
    void set_title_text(std::string_view text) override { form_->text()->setText(text_of(text)); }
    platform::ListBoxView& title_list() override { return *form_->list(); }
    void set_lamp(Lamp lamp) override { form_->lamp()->set_state(lamp); }
    void set_status(std::string_view text) override { form_->set_status_soon(text_of(text)); }
    void set_active_picture_visible(bool visible) override {
        set_picture_visible(form_->active(), visible);
    }
    void set_suspended_picture_visible(bool visible) override {
        set_picture_visible(form_->suspended(), visible);
    }
    void set_window_button(bool panel_shown) override {
        const Control& button = kMain[Command_Window];
        const bool was_shown = form_->window_button()->text() == QLatin1String(button.caption);
        if (panel_shown != was_shown)
            announce(panel_shown ? platform::kPanelShownWords : platform::kPanelHiddenWords);
        form_->window_button()->setText(
            QString::fromLatin1(panel_shown ? button.caption : kWindowButtonHiddenCaption));
        form_->window_button()->setAccessibleName(
            QString::fromUtf8(panel_shown ? button.spoken : kWindowButtonHiddenName));
    }
    void announce(std::string_view words) override { form_->announcer().announce(text_of(words)); }

private:
    // The Active and Suspended pictures take turns in one place: the focus
    // that the hidden one had passes to the one shown next, so Space or
    // Return again undoes what it did.
    void set_picture_visible(PictureButton* picture, bool visible) {
        if (!visible && picture->hasFocus()) focus_to_twin_ = true;
        picture->setVisible(visible);
        if (visible && focus_to_twin_) picture->setFocus(Qt::TabFocusReason);
        if (visible) focus_to_twin_ = false;
    }

    bool focus_to_twin_ = false;
};

}  // namespace

std::unique_ptr<platform::MainWindowView> make_main_window(platform::MainWindowEvents& events) {
    return std::make_unique<QtMainWindow>(events);
}

}  // namespace vorlix::adapters::qt
