// The two windows. Each view owns its top-level widget; a widget that is
// inside one of its own events when its view goes away is deleted later.
#pragma once

#include <memory>

#include "platform/toolkit.h"

namespace vorlix::platform::qt {

std::unique_ptr<MainWindowView> make_main_window(MainWindowEvents& events);
std::unique_ptr<PanelView> make_panel(PanelEvents& events);

}  // namespace vorlix::platform::qt
