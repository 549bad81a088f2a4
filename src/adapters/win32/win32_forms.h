// The two windows, made by the toolkit.
#pragma once

#include <memory>

#include "adapters/win32/win32_form.h"
#include "platform/toolkit.h"

namespace vorlix::adapters::win32 {

// `hwnd` receives the main window's handle (the owner of message boxes).
std::unique_ptr<platform::MainWindowView> make_main_window(const Resources& res,
                                                           platform::MainWindowEvents& events,
                                                           HWND& hwnd);
std::unique_ptr<platform::PanelView> make_panel(const Resources& res,
                                                platform::PanelEvents& events);

}  // namespace vorlix::adapters::win32
