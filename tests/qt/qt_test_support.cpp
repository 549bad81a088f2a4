#include "qt_test_support.h"

#include "test_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vorlix::testing {

QWidget* top_level(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name)) return w;
    }
    return nullptr;
}

bool wait_until(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void settle(int ms) {
    wait_until([] { return false; }, ms);
}

QColor centre_colour(QWidget* w) {
    const QImage image = w->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

void close_through_window_manager(QWidget* w) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    request_close(x11->connection(), static_cast<xcb_window_t>(w->winId()));
}

void when_modal_opens(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start(20);
}

}  // namespace vorlix::testing
