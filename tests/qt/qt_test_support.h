// Helpers shared by the Qt tests: finding controls, waiting on the event
// loop, reading what was drawn, asking the window manager to close a window.
#pragma once

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>

namespace vorlix::testing {

// The live top-level widget with this object name, or null.
QWidget* top_level(const char* name);

template <class T = QWidget>
T* control(QWidget* form, const char* name) {
    return form == nullptr ? nullptr : form->findChild<T*>(QLatin1String(name));
}

// Runs the event loop until `done` holds or `ms` pass; answers `done`.
bool wait_until(const std::function<bool()>& done, int ms = 3000);

// Lets the event loop run for `ms`.
void settle(int ms);

// The colour drawn at the centre of `w`.
QColor centre_colour(QWidget* w);

// Asks the window manager to close `w`, as its close box does.
void close_through_window_manager(QWidget* w);

// Runs `answer` on the next modal dialog that opens (from a timer, since
// the dialog's own loop runs until it is closed).
void when_modal_opens(std::function<void(QWidget*)> answer);

}  // namespace vorlix::testing
