#pragma once

#include <QMargins>
#include <QWidget>

namespace vorlix::adapters::qt {

// Asks the window manager to keep `window` off the taskbar and the pager.
// Takes effect when the window is next mapped; does nothing off X11.
void keep_off_taskbar(QWidget& window);

// The frame the window manager will put around `window`, asked of it before
// the window is shown (_NET_REQUEST_FRAME_EXTENTS): until it frames the
// window, Qt knows only the client area. None without a window manager
// that answers, or off X11.
QMargins frame_to_come(QWidget& window);

}  // namespace vorlix::adapters::qt
