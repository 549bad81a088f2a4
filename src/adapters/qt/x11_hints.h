#pragma once

#include <QWidget>

namespace vorlix::platform::qt {

// Asks the window manager to keep `window` off the taskbar and the pager.
// Takes effect when the window is next mapped; does nothing off X11.
void keep_off_taskbar(QWidget& window);

}  // namespace vorlix::platform::qt
