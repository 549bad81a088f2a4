#include <QCheckBox>
#include <QPainter>

#include "adapters/qt/form.h"
#include "adapters/qt/forms.h"
#include "adapters/qt/x11_hints.h"
#include "platform/form_layout.h"

namespace vorlix::adapters::qt {
namespace {

using Events = platform::PanelEvents;
using namespace platform::layout;

// Where the table puts control `c`, in pixels.
QRect bounds(const Units& units, PanelControl c) {
    const Bounds& b = kPanel[c].bounds;
    return units.rect(b.left, b.top, b.width, b.height);
}

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
        setWindowTitle(QString::fromUtf8(kPanelCaption));
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(255, 0, 0));
        setPalette(palette);
        outer_height_ = units_.y_px(kPanelHeight);
        setFixedSize(units_.x_px(kPanelWidth), outer_height_);

        list_ = new ListBox(this, kPanel[List_Window].name, on(&Events::List_Window_Click));
        list_->setGeometry(bounds(units_, List_Window));
        list_->setAccessibleName(QString::fromUtf8(kPanel[List_Window].spoken));
        install_accessible_roles();

        check_iwindows_ =
            make_panel_check(this, kPanel[Check_IWindows].name, kPanel[Check_IWindows].caption);
        check_iwindows_->setGeometry(bounds(units_, Check_IWindows));
        check_iwindows_->setChecked(true);

        autostart_ =
            make_panel_check(this, kPanel[Check_Autostart].name, kPanel[Check_Autostart].caption);
        autostart_->setGeometry(bounds(units_, Check_Autostart));
        connect(autostart_, &QCheckBox::clicked, this, on(&Events::Check_Autostart_Click));

        notice_ = make_white_label(new QLabel(this), kPanel[Label_Notice].name);
        notice_->setGeometry(bounds(units_, Label_Notice));

        const char* site = kPanel[Label_Site].name;
        site_ = make_white_label(new ClickLabel(this, site, on(&Events::Label_Site_Click)), site);
        site_->setGeometry(bounds(units_, Label_Site));

        QWidget* control[kPanelControls] = {};
        control[List_Window] = list_;
        control[Check_IWindows] = check_iwindows_;
        control[Check_Autostart] = autostart_;
        control[Label_Site] = site_;
        for (std::size_t i = 1; i < kPanelTabOrder.size(); ++i) {
            setTabOrder(control[kPanelTabOrder[i - 1]], control[kPanelTabOrder[i]]);
        }
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
        for (PanelControl line : {Line1, Line2}) {
            const Bounds& b = kPanel[line].bounds;
            const int y = units_.y_px(float(b.top));
            painter.drawLine(units_.x_px(float(b.left)), y, units_.x_px(float(b.left + b.width)),
                             y);
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

class QtPanel : public FormView<PanelForm, platform::PanelView> {
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
    platform::WindowId window_id() const override {
        return static_cast<platform::WindowId>(form_->winId());
    }

    platform::ListBoxView& window_list() override { return *form_->list(); }
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

std::unique_ptr<platform::PanelView> make_panel(platform::PanelEvents& events) {
    return std::make_unique<QtPanel>(events);
}

}  // namespace vorlix::adapters::qt
