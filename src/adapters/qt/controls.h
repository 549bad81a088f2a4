// The controls the two windows are made of, each a thin Qt widget.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/toolkit.h"

namespace vorlix::platform::qt {

// The forms' small sans-serif face, narrow where the system has one.
QFont form_font();

// The pointing hand shared by the clickable controls.
QCursor hand_cursor();
// A picture of the committed artwork, by its file name ("add.png").
QPixmap art(const char* name);

// A list box that shows entries where the behaviour puts them. Only the
// user's selection changes reach on_click.
class ListBox : public QListWidget, public ListBoxView {
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

// A picture used as a button: no focus, no caption, clicked anywhere on it.
class PictureButton : public QLabel {
public:
    PictureButton(QWidget* parent, const char* name, const QPixmap& picture,
                  std::function<void()> on_click);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> on_click_;
    bool pressed_ = false;
};

// A label that answers a click (Label_Site).
class ClickLabel : public QLabel {
public:
    ClickLabel(QWidget* parent, const char* name, std::function<void()> on_click);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> on_click_;
};

// The status lamp: a filled circle with a thin dark rim.
class Lamp : public QWidget {
public:
    Lamp(QWidget* parent, const char* name, Colour colour);
    void set_colour(Colour colour);
    Colour colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colour colour_;
};

// Text_Title: Return raises the key-down event; other keys are the box's own.
class TitleEdit : public QLineEdit {
public:
    TitleEdit(QWidget* parent, std::function<void(int, int)> on_key_down);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void(int, int)> on_key_down_;
};

// Bold near-white text on the panel's red.
QCheckBox* make_panel_check(QWidget* parent, const char* name, const char* caption);

// A timer over QTimer. Interval 0 never ticks; enabling starts a whole
// interval. The tick may destroy the timer.
class QtTimer : public Timer {
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

}  // namespace vorlix::platform::qt
