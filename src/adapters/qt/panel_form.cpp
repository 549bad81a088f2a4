#include <QCheckBox>
#include <QPainter>

#include "adapters/qt/form.h"
#include "adapters/qt/forms.h"
#include "adapters/qt/x11_hints.h"

namespace vorlix::platform::qt {
namespace {

using Events = PanelEvents;

QLabel* make_white_label(QLabel* label, const char* name) {
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

class PanelForm : public Form<Events> {
public:
    explicit PanelForm(Events& events)
        : Form(events, "Form_WindowList",
               Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint) {
        setWindowTitle(QStringLiteral("Vorlix - Window List"));
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(255, 0, 0));
        setPalette(palette);
        outer_height_ = units_.y_px(3750);
        setFixedSize(units_.x_px(5175), outer_height_);

        list_ = new ListBox(this, "List_Window", on(&Events::List_Window_Click));
        list_->setGeometry(units_.rect(120, 120, 4935, 1815));

        check_iwindows_ = make_panel_check(this, "Check_IWindows", "Display only Internet Windows");
        check_iwindows_->setGeometry(units_.rect(240, 2040, 3015, 255));
        check_iwindows_->setChecked(true);

        autostart_ = make_panel_check(this, "Check_Autostart", "Autostart");
        autostart_->setGeometry(units_.rect(3720, 2040, 1215, 255));
        connect(autostart_, &QCheckBox::clicked, this, on(&Events::Check_Autostart_Click));

        notice_ = make_white_label(new QLabel(this), "Label_Notice");
        notice_->setGeometry(units_.rect(240, 2520, 4695, 255));

        site_ = make_white_label(new ClickLabel(this, "Label_Site", on(&Events::Label_Site_Click)),
                                 "Label_Site");
        site_->setGeometry(units_.rect(240, 3150, 4695, 255));

        setTabOrder(list_, check_iwindows_);
        setTabOrder(check_iwindows_, autostart_);
        list_->setFocus(Qt::OtherFocusReason);
    }

    ListBox* list() const { return list_; }
    QCheckBox* check_iwindows() const { return check_iwindows_; }
    QCheckBox* autostart() const { return autostart_; }
    QLabel* notice() const { return notice_; }
    QLabel* site() const { return site_; }
    Events* events() const { return events_; }

    // The height asked for is the outer one; the frame is known only once
    // the window manager has framed the window, so it is applied again then.
    void set_outer_height(int px) {
        outer_height_ = px;
        fit_height();
    }

protected:
    void after_event(QEvent* e) override {
        if (e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::Show) {
            fit_height();
        }
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QPen(Qt::black, 1));
        for (int y : {2400, 3060}) {
            painter.drawLine(units_.x_px(120), units_.y_px(float(y)), units_.x_px(5040),
                             units_.y_px(float(y)));
        }
    }

private:
    void fit_height() {
        const int frame = frameGeometry().height() - height();
        const int client = std::max(1, outer_height_ - frame);
        if (client != height()) setFixedHeight(client);
    }

    int outer_height_ = 0;
    ListBox* list_;
    QCheckBox* check_iwindows_;
    QCheckBox* autostart_;
    QLabel* notice_;
    QLabel* site_;
};

int value_of(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
    }
}

class QtPanel : public FormView<PanelForm, PanelView> {
public:
    explicit QtPanel(Events& events) : FormView(new PanelForm(events)) {}

    void set_left(float left) override { form_->move(u().x_px(left), form_->frameGeometry().y()); }
    void set_top(float top) override { form_->move(form_->frameGeometry().x(), u().y_px(top)); }
    void set_height(float height) override { form_->set_outer_height(u().y_px(height)); }
    bool visible() const override { return form_->isVisible(); }
    void show() override {
        if (!form_->isVisible()) keep_off_taskbar(*form_);
        form_->show();
        form_->raise();
        form_->activateWindow();
    }
    void hide() override { form_->hide(); }
    WindowId window_id() const override { return static_cast<WindowId>(form_->winId()); }

    ListBoxView& window_list() override { return *form_->list(); }
    int Check_IWindows_value() const override { return value_of(form_->check_iwindows()); }
    int autostart_value() const override { return value_of(form_->autostart()); }
    void set_autostart_value(int value) override {
        if (value == autostart_value()) return;
        form_->autostart()->setCheckState(value == 1   ? Qt::Checked
                                          : value == 2 ? Qt::PartiallyChecked
                                                       : Qt::Unchecked);
        // A change made by the program is announced like the user's click.
        if (Events* events = form_->events(); events != nullptr) events->Check_Autostart_Click();
    }
    void set_notice(std::string_view text) override { form_->notice()->setText(text_of(text)); }
    void set_site_caption(std::string_view text) override { form_->site()->setText(text_of(text)); }
};

}  // namespace

std::unique_ptr<PanelView> make_panel(PanelEvents& events) {
    return std::make_unique<QtPanel>(events);
}

}  // namespace vorlix::platform::qt
