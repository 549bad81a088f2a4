// What the program's own windows ask of the window manager. These go over
// the toolkit's connection, which owns those windows, not the adapter's.
#pragma once

#include <xcb/xcb.h>

namespace vorlix::adapters::x11 {

struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// Asks the window manager to keep `w` off the taskbar and the pager. Takes
// effect when the window is next mapped.
void keep_off_taskbar(xcb_connection_t* c, xcb_window_t w);

// The frame the window manager will put around `w`, asked of it before the
// window is shown (_NET_REQUEST_FRAME_EXTENTS): until it frames the window,
// the toolkit knows only the client area. None without a window manager
// that answers.
FrameExtents frame_to_come(xcb_connection_t* c, xcb_window_t w);

}  // namespace vorlix::adapters::x11
