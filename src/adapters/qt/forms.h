// The two windows. Each view owns its top-level widget; a widget that is
// inside one of its own events when its view goes away is deleted later.
#pragma once

#include <memory>

#include "platform/toolkit.h"

namespace vorlix::adapters::qt {

std::unique_ptr<platform::MainWindowView> make_main_window(platform::MainWindowEvents& events);
std::unique_ptr<platform::PanelView> make_panel(platform::PanelEvents& events);

}  // namespace vorlix::adapters::qt
