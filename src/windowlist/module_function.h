// The panel's shared routines: docking it to the main window and opening the
// web site.
#pragma once

#include <string_view>

#include "platform/command_runner.h"
#include "platform/toolkit.h"

namespace vorlix::windowlist {

inline constexpr std::string_view kSiteAddress = "https://www.kelto.example/vorlix";
inline constexpr float kDockGap = 30;  // twips between the main window and the panel

// Moves the panel to the main window's right-hand edge, top edges aligned,
// but only when the top edges differ: a purely sideways move of the main
// window leaves the panel where it is.
void Dock_Window_List(const platform::MainWindowView& main, platform::PanelView& panel);

// Through the platform's URL opener: no text passes through a shell.
void Open_Web_Site(platform::CommandRunner& runner);

}  // namespace vorlix::windowlist
