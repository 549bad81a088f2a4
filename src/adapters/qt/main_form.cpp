#include <QPainter>
#include <QPushButton>

#include "adapters/qt/form.h"
#include "adapters/qt/forms.h"

namespace vorlix::platform::qt {
namespace {

using Events = MainWindowEvents;

class MainForm : public Form<Events> {
public:
    explicit MainForm(Events& events) : Form(events, "Form_Main") {
        resize(units_.x_px(5970), units_.y_px(4425));

        auto* banner = new QLabel(this);
        banner->setObjectName(QStringLiteral("Image1"));
        banner->setPixmap(art("banner.png"));
        banner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        banner->setGeometry(units_.rect(840, 60, 4350, 465));

        text_ = new TitleEdit(this, [this](int key, int shift) {
            if (events_ != nullptr) events_->Text_Title_KeyDown(key, shift);
        });
        text_->setGeometry(units_.rect(120, 600, 3735, 285));

        auto* add =
            new PictureButton(this, "Command_ADD", art("add.png"), on(&Events::Command_ADD_Click));
        add->setGeometry(units_.rect(3960, 600, 915, 315));

        window_ = new QPushButton(QStringLiteral(">>  <<"), this);
        window_->setObjectName(QStringLiteral("Command_Window"));
        window_->setCursor(hand_cursor());
        window_->setGeometry(units_.rect(5115, 615, 630, 330));
        connect(window_, &QPushButton::clicked, this, on(&Events::Command_Window_Click));

        list_ = new ListBox(this, "List_Title", on(&Events::List_Title_Click));
        list_->setGeometry(units_.rect(120, 1080, 5775, 2400));

        auto* remove = new PictureButton(this, "Command_REMOVE", art("remove.png"),
                                         on(&Events::Command_REMOVE_Click));
        remove->setGeometry(units_.rect(720, 3600, 1590, 330));

        suspended_ = new PictureButton(this, "Command_TimerS", art("suspended.png"),
                                       on(&Events::Command_TimerS_Click));
        suspended_->setGeometry(units_.rect(3000, 3600, 2235, 435));
        suspended_->hide();

        active_ = new PictureButton(this, "Command_Timer", art("active.png"),
                                    on(&Events::Command_Timer_Click));
        active_->setGeometry(units_.rect(3600, 3600, 1380, 435));

        lamp_ = new Lamp(this, "Shape_Status", 0xFFFF);
        lamp_->setGeometry(units_.rect(5400, 3660, 255, 255));

        status_ = new QLabel(this);
        status_->setObjectName(QStringLiteral("Label_Status"));
        status_->setAutoFillBackground(true);
        QPalette palette = status_->palette();
        palette.setColor(QPalette::Window, packed_colour(0xC0FFFF));
        status_->setPalette(palette);
        status_->setGeometry(units_.rect(240, 4080, 5535, 255));

        setTabOrder(text_, list_);
        setTabOrder(list_, window_);
        text_->setFocus(Qt::OtherFocusReason);
    }

    TitleEdit* text() const { return text_; }
    ListBox* list() const { return list_; }
    Lamp* lamp() const { return lamp_; }
    QLabel* status() const { return status_; }
    PictureButton* active() const { return active_; }
    PictureButton* suspended() const { return suspended_; }
    QPushButton* window_button() const { return window_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.drawPixmap(0, 0, background_);
    }

private:
    QPixmap background_ = art("background.png");
    TitleEdit* text_;
    QPushButton* window_;
    ListBox* list_;
    PictureButton* suspended_;
    PictureButton* active_;
    Lamp* lamp_;
    QLabel* status_;
};

class QtMainWindow : public FormView<MainForm, MainWindowView> {
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
    ListBoxView& title_list() override { return *form_->list(); }
    void set_lamp(Colour colour) override { form_->lamp()->set_colour(colour); }
    void set_status(std::string_view text) override { form_->status()->setText(text_of(text)); }
    void set_active_picture_visible(bool visible) override { form_->active()->setVisible(visible); }
    void set_suspended_picture_visible(bool visible) override {
        form_->suspended()->setVisible(visible);
    }
    void set_window_button_caption(std::string_view caption) override {
        form_->window_button()->setText(text_of(caption));
    }
};

}  // namespace

std::unique_ptr<MainWindowView> make_main_window(MainWindowEvents& events) {
    return std::make_unique<QtMainWindow>(events);
}

}  // namespace vorlix::platform::qt
