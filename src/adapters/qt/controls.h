// The controls the two windows are made of, each a thin Qt widget.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "platform/toolkit.h"

namespace vorlix::adapters::qt {

// The forms' small sans-serif face, narrow where the system has one.
QFont form_font();

// The pointing hand shared by the clickable controls.
QCursor hand_cursor();
// A picture of the committed artwork, by its file name ("add.png").
QPixmap art(const char* name);

// A list box that shows entries where the behaviour puts them. Only the
// user's selection changes reach on_click.
class ListBox : public QListWidget, public platform::ListBoxView {
public:
    ListBox(QWidget* parent, const char* name, std::function<void()> on_click);
    void insert(int pos, std::string_view text) override;
    void remove(int pos) override;
    void clear() override;
    int selected() const override;
    void focus() override;

private:
    std::function<void()> on_click_;
    bool quiet_ = false;  // set while our own calls change the entries
};

// A label that answers a click (Label_Site), and Space or Return once Tab
// has brought the focus to it (a mouse click leaves the focus where it
// was); assistive technology sees a link that can be pressed.
class ClickLabel : public QLabel {
public:
    ClickLabel(QWidget* parent, const char* name, std::function<void()> on_click);
    void click() const {
        if (on_click_) on_click_();
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Where the focus mark goes: around the words.
    virtual QRect focus_area() const;

private:
    std::function<void()> on_click_;
};

// A picture used as a button, no caption, clicked anywhere on it, with the
// form's background where the picture is transparent; to assistive
// technology a push button named `spoken`.
class PictureButton : public ClickLabel {
public:
    PictureButton(QWidget* parent, const char* name, const char* spoken, const QPixmap& picture,
                  std::function<void()> on_click);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QRect focus_area() const override;

private:
    bool pressed_ = false;
};

// The status lamp: a filled circle with a thin dark rim. Assistive
// technology reads its state ("waiting", "scanning", "suspended") as its
// description.
class StatusLamp : public QWidget {
public:
    StatusLamp(QWidget* parent, const char* name, const char* spoken);
    void set_state(platform::layout::Lamp state);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    platform::layout::Lamp state_ = platform::layout::Lamp::Design;
};

// The status line: a status bar named by its text.
class StatusLine : public QLabel {
public:
    StatusLine(QWidget* parent, const char* name);
};

// What the program tells a screen reader of its own accord. Orca 43 speaks
// a name change only of the object that has the focus, but speaks every
// notification that is shown, whichever window is active: so each news is a
// zero-sized notification, named by the words, shown. Consecutive news take
// different objects, since a screen reader reads the name when it gets to
// the event, and takes a second showing of one object as a duplicate.
class Announcer {
public:
    explicit Announcer(QWidget* form) : form_(form) {}
    void announce(const QString& words);

private:
    QWidget* form_;
    std::array<QWidget*, 8> notices_{};  // children of the form, made at first use
    std::size_t next_ = 0;
};

// Gives the forms, the pictures, the lamp, the status line, the site label
// and the announcer's notices their roles (window, push button, image, status
// bar, link, notification) for assistive technology. Installed once per
// process.
void install_accessible_roles();

// Text_Title: Return raises the key-down event; other keys are the box's own.
class TitleEdit : public QLineEdit {
public:
    TitleEdit(QWidget* parent, std::function<void(int)> on_key_down);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void(int)> on_key_down_;
};

// Bold near-white text on the panel's red.
QCheckBox* make_panel_check(QWidget* parent, const char* name, const char* caption);

// A timer over QTimer. Interval 0 never ticks; enabling starts a whole
// interval. The tick may destroy the timer.
class QtTimer : public platform::Timer {
public:
    explicit QtTimer(std::function<void()> on_tick);
    ~QtTimer() override;
    void set_interval(int ms) override;
    int interval() const override { return interval_; }
    void set_enabled(bool enabled) override;
    bool enabled() const override { return enabled_; }

private:
    void restart();

    QTimer* timer_;
    std::shared_ptr<std::function<void()>> on_tick_;
    std::shared_ptr<bool> ticking_ = std::make_shared<bool>(false);
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace vorlix::adapters::qt
