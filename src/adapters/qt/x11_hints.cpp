#include "adapters/qt/x11_hints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vorlix::platform::qt {
namespace {

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

void keep_off_taskbar(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* c = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const std::array<xcb_atom_t, 2> states = {intern(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                              intern(c, "_NET_WM_STATE_SKIP_PAGER")};
    // Before the window is mapped the state is a plain property, which the
    // window manager reads when it maps the window.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, intern(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        std::uint32_t(states.size()), states.data());
    xcb_flush(c);
}

}  // namespace vorlix::platform::qt
