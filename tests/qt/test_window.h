// A top-level window of another client, made over a connection of its own
// the way a browser makes one: a title, WM_DELETE_WINDOW among its protocols.
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <string>

namespace vorlix::testing {

// Asks the window manager to close `w` (_NET_CLOSE_WINDOW to the root), as
// a click on the window's close box does.
void request_close(xcb_connection_t* c, xcb_window_t w);

class TestWindow {
public:
    TestWindow(const std::string& display, const std::string& title);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    bool ok() const { return window_ != 0; }
    xcb_window_t id() const { return window_; }
    // Reads this client's events for up to `wait`; true once a close
    // request (WM_DELETE_WINDOW) has arrived.
    bool close_requested(std::chrono::milliseconds wait);

private:
    xcb_atom_t atom(const char* name);
    xcb_connection_t* c_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_atom_t protocols_ = 0;
    xcb_atom_t delete_window_ = 0;
    bool closed_ = false;
};

}  // namespace vorlix::testing
