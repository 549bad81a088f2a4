// The two windows, made by the toolkit.
#pragma once

#include <memory>

#include "adapters/win32/win32_form.h"
#include "platform/toolkit.h"

namespace vorlix::platform::win32 {

// `hwnd` receives the main window's handle (the owner of message boxes).
std::unique_ptr<MainWindowView> make_main_window(const Resources& res, MainWindowEvents& events,
                                                 HWND& hwnd);
std::unique_ptr<PanelView> make_panel(const Resources& res, PanelEvents& events);

}  // namespace vorlix::platform::win32
