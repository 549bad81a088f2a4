// What the two windows share: a top-level widget that raises the
// behaviour's events until its view goes, counts its own events in progress
// (a view destroyed inside one deletes the widget later), and answers its
// close box through Form_Unload; and the view over it, whose geometry is
// the outer frame in twips.
#pragma once

#include <QCloseEvent>
#include <QIcon>
#include <QWidget>
#include <functional>
#include <string_view>

#include "adapters/qt/controls.h"
#include "adapters/qt/units.h"
#include "adapters/qt/x11_hints.h"

namespace vorlix::adapters::qt {

inline QString text_of(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

template <class Events>
class Form : public QWidget {
public:
    Form(Events& events, const char* name, Qt::WindowFlags flags = {})
        : QWidget(nullptr, flags), events_(&events), units_(Units::of_primary_screen()) {
        setObjectName(QLatin1String(name));
        setWindowIcon(QIcon(art("icon.png")));
        setFont(form_font());
    }

    void detach() { events_ = nullptr; }

    // Frame included, even before the window manager has put the frame on.
    QSize outer_size() {
        const QRect outer = frameGeometry();
        return outer != geometry() ? outer.size() : outer.marginsAdded(expected_frame()).size();
    }
    bool busy() const { return busy_ > 0; }
    const Units& units() const { return units_; }

    // A handler that raises `event` of the behaviour while it is attached.
    std::function<void()> on(void (Events::*what)()) {
        return [this, what] {
            if (events_ != nullptr) (events_->*what)();
        };
    }

protected:
    bool event(QEvent* e) override {
        // The deferred delete destroys this widget: nothing may follow it.
        if (e->type() == QEvent::DeferredDelete) return QWidget::event(e);
        if (e->type() == QEvent::Show && frameGeometry() == geometry()) {
            // Qt places a window it has not seen framed by its client area:
            // the frame is to stand where the window was placed.
            const QMargins frame = expected_frame();
            move(pos() + QPoint(frame.left(), frame.top()));
        }
        ++busy_;
        const bool handled = QWidget::event(e);
        --busy_;
        after_event(e);
        return handled;
    }
    virtual void after_event(QEvent*) {}

    void closeEvent(QCloseEvent* e) override {
        int cancel = 0;
        if (events_ != nullptr) events_->Form_Unload(cancel);
        if (cancel != 0) {
            e->ignore();
        } else {
            e->accept();
        }
    }

    Events* events_;
    Units units_;

private:
    QMargins expected_frame() {
        if (!frame_asked_) expected_frame_ = frame_to_come(*this);
        frame_asked_ = true;
        return expected_frame_;
    }

    int busy_ = 0;
    bool frame_asked_ = false;
    QMargins expected_frame_;
};

template <class FormWidget, class View>
class FormView : public View {
public:
    explicit FormView(FormWidget* form) : form_(form) {}
    ~FormView() override {
        form_->detach();
        form_->hide();
        if (form_->busy()) {
            form_->deleteLater();
        } else {
            delete form_;
        }
    }
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // Cached by Qt from the window manager's notifications: no X round trip
    // once the window manager has answered for the frame.
    float left() const override { return u().x_twips(form_->frameGeometry().x()); }
    float top() const override { return u().y_twips(form_->frameGeometry().y()); }
    float width() const override { return u().x_twips(form_->outer_size().width()); }
    float height() const override { return u().y_twips(form_->outer_size().height()); }

protected:
    const Units& u() const { return form_->units(); }
    FormWidget* form_;
};

}  // namespace vorlix::adapters::qt
