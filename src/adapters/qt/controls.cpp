#include "adapters/qt/controls.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QString>

#include "adapters/qt/units.h"
#include "platform/form_layout.h"

namespace vorlix::adapters::qt {

QFont form_font() {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Sans Serif")});
    font.setPixelSize(11);
    return font;
}

QCursor hand_cursor() {
    return QCursor(art("hand.png"), 5, 0);
}

QPixmap art(const char* name) {
    return QPixmap(QStringLiteral(":/art/") + QLatin1String(name));
}

ListBox::ListBox(QWidget* parent, const char* name, std::function<void()> on_click)
    : QListWidget(parent), on_click_(std::move(on_click)) {
    setObjectName(QLatin1String(name));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    // Rows of one height: otherwise every change lays out all rows again,
    // measuring each one's text, which makes filling a long list quadratic.
    setUniformItemSizes(true);
    setCursor(hand_cursor());
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!quiet_ && on_click_) on_click_();
    });
}

void ListBox::insert(int pos, std::string_view text) {
    quiet_ = true;
    insertItem(pos, QString::fromUtf8(text.data(), qsizetype(text.size())));
    quiet_ = false;
}

void ListBox::remove(int pos) {
    quiet_ = true;
    const bool was_selected = selected() == pos;
    delete takeItem(pos);
    if (was_selected) {
        clearSelection();
        setCurrentIndex(QModelIndex());
    }
    quiet_ = false;
}

void ListBox::clear() {
    quiet_ = true;
    QListWidget::clear();
    quiet_ = false;
}

int ListBox::selected() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void ListBox::focus() {
    setFocus(Qt::OtherFocusReason);
}

namespace {

// A control's face to assistive technology with the role we choose; a
// label's text is its name unless it has one of its own, and the labels that
// answer clicks can be pressed.
class RoleAccessible : public QAccessibleWidget {
public:
    RoleAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = qobject_cast<const QLabel*>(widget());
        if (t == QAccessible::Name && label != nullptr && widget()->accessibleName().isEmpty()) {
            return label->text();
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (clickable() != nullptr) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && clickable() != nullptr) {
            clickable()->click();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

private:
    ClickLabel* clickable() const { return dynamic_cast<ClickLabel*>(widget()); }
};

// One announcement of the Announcer.
class Notice : public QWidget {
public:
    explicit Notice(QWidget* form) : QWidget(form) {
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
    }
};

QAccessibleInterface* accessible_role(const QString& class_name, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // The two forms are plain widgets: announce them as windows, by caption.
    if (widget != nullptr && widget->isWindow() && class_name == QLatin1String("QWidget")) {
        return new RoleAccessible(widget, QAccessible::Window);
    }
    if (dynamic_cast<StatusLamp*>(object) != nullptr)
        return new RoleAccessible(widget, QAccessible::Graphic);
    if (dynamic_cast<StatusLine*>(object) != nullptr) {
        return new RoleAccessible(widget, QAccessible::StatusBar);
    }
    if (dynamic_cast<Notice*>(object) != nullptr) {
        return new RoleAccessible(widget, QAccessible::Notification);
    }
    if (dynamic_cast<PictureButton*>(object) != nullptr) {
        return new RoleAccessible(widget, QAccessible::PushButton);
    }
    if (dynamic_cast<ClickLabel*>(object) != nullptr) {
        return new RoleAccessible(widget, QAccessible::Link);
    }
    return nullptr;
}

}  // namespace

void install_accessible_roles() {
    QAccessible::installFactory(&accessible_role);  // a second install is ignored
}

// A screen reader speaks a notification when told it is shown. The notices
// are never really shown: showing and hiding a widget makes Qt ask the X
// server where the pointer is, twice for every closed pop-up.
void Announcer::announce(const QString& words) {
    QWidget*& notice = notices_[next_];
    next_ = (next_ + 1) % notices_.size();
    if (notice == nullptr) notice = new Notice(form_);
    notice->setAccessibleName(words);
    if (!form_->isVisible()) return;  // nothing is spoken for a form not yet shown
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

ClickLabel::ClickLabel(QWidget* parent, const char* name, std::function<void()> on_click)
    : QLabel(parent), on_click_(std::move(on_click)) {
    setObjectName(QLatin1String(name));
    setFocusPolicy(Qt::TabFocus);
    setCursor(hand_cursor());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        click();
    }
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // A dotted frame in the text's colour, the classic focus mark.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(focus_area().intersected(rect()).adjusted(0, 0, -1, -1));
}

QRect ClickLabel::focus_area() const {
    return fontMetrics()
        .boundingRect(contentsRect(), int(alignment()), text())
        .adjusted(-3, -1, 3, 1);
}

PictureButton::PictureButton(QWidget* parent, const char* name, const char* spoken,
                             const QPixmap& picture, std::function<void()> on_click)
    : ClickLabel(parent, name, std::move(on_click)) {
    setAccessibleName(QString::fromUtf8(spoken));
    setPixmap(picture);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The picture's corners are transparent: the form's background shows there.
    setAutoFillBackground(false);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    // As with a button: the click counts when the press and the release are both on it.
    const bool on_it = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (on_it) click();
}

QRect PictureButton::focus_area() const {
    // Inside the picture's edge, where the artwork's own border is.
    return QRect(QPoint(0, 0), pixmap().deviceIndependentSize().toSize()).adjusted(1, 1, -1, -1);
}

StatusLamp::StatusLamp(QWidget* parent, const char* name, const char* spoken) : QWidget(parent) {
    setObjectName(QLatin1String(name));
    setAccessibleName(QString::fromUtf8(spoken));
    setAccessibleDescription(QString::fromUtf8(look_of(state_).word));
    setFocusPolicy(Qt::NoFocus);
}

void StatusLamp::set_state(platform::layout::Lamp state) {
    if (state == state_) return;
    state_ = state;
    // Announced to assistive technology as a description change.
    setAccessibleDescription(QString::fromUtf8(look_of(state).word));
    update();
}

StatusLine::StatusLine(QWidget* parent, const char* name) : QLabel(parent) {
    setObjectName(QLatin1String(name));
}

void StatusLamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(packed_colour(look_of(state_).colour));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

TitleEdit::TitleEdit(QWidget* parent, std::function<void(int)> on_key_down)
    : QLineEdit(parent), on_key_down_(std::move(on_key_down)) {
    setObjectName(QStringLiteral("Text_Title"));
}

void TitleEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (on_key_down_) on_key_down_(13);
}

QCheckBox* make_panel_check(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QLatin1String(name));
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, QColor(253, 253, 253));
    palette.setColor(QPalette::Window, QColor(255, 0, 0));
    palette.setColor(QPalette::Button, QColor(255, 0, 0));
    box->setPalette(palette);
    box->setBackgroundRole(QPalette::Window);
    box->setAutoFillBackground(true);
    QFont font = box->font();
    font.setBold(true);
    box->setFont(font);
    box->setCursor(hand_cursor());
    return box;
}

QtTimer::QtTimer(std::function<void()> on_tick)
    : timer_(new QTimer), on_tick_(std::make_shared<std::function<void()>>(std::move(on_tick))) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, timer_, [tick = on_tick_, ticking = ticking_] {
        // Copies keep the handler alive even if it destroys this timer.
        *ticking = true;
        (*tick)();
        *ticking = false;
    });
}

QtTimer::~QtTimer() {
    timer_->stop();
    if (*ticking_) {
        timer_->deleteLater();
    } else {
        delete timer_;
    }
}

void QtTimer::set_interval(int ms) {
    if (ms < 0) ms = 0;
    interval_ = ms;
    restart();
}

void QtTimer::set_enabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    restart();
}

void QtTimer::restart() {
    if (enabled_ && interval_ > 0) {
        timer_->start(interval_);
    } else {
        timer_->stop();
    }
}

}  // namespace vorlix::adapters::qt
