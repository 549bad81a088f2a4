#include "adapters/qt/x11_hints.h"

#include <QGuiApplication>

#include "adapters/x11/x11_hints.h"

namespace vorlix::adapters::qt {
namespace {

// Qt's own connection, which owns our windows; none off X11.
xcb_connection_t* connection() {
    auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x != nullptr ? x->connection() : nullptr;
}

}  // namespace

QMargins frame_to_come(QWidget& window) {
    xcb_connection_t* c = connection();
    if (c == nullptr) return {};
    const auto e = x11::frame_to_come(c, static_cast<xcb_window_t>(window.winId()));
    return QMargins(e.left, e.top, e.right, e.bottom);
}

void keep_off_taskbar(QWidget& window) {
    if (xcb_connection_t* c = connection()) {
        x11::keep_off_taskbar(c, static_cast<xcb_window_t>(window.winId()));
    }
}

}  // namespace vorlix::adapters::qt
