// A small X client of our own, on its own connection: it makes real top-level
// windows in the states the adapter must read, and records the close
// requests that reach it.
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::testing {

class TestClient {
public:
    // `managed`: a window manager runs, so maps and restacks take effect
    // only once it has handled them.
    TestClient(const std::string& display, bool managed);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    // An unmapped top-level window; `title` (UTF-8) goes to _NET_WM_NAME
    // unless empty. `deletable`: WM_PROTOCOLS lists WM_DELETE_WINDOW.
    xcb_window_t create(std::string_view title, bool deletable = true);
    void set_net_name(xcb_window_t w, std::string_view utf8);
    // WM_NAME as raw bytes of the given type (STRING, UTF8_STRING, COMPOUND_TEXT).
    void set_wm_name(xcb_window_t w, std::string_view bytes, const char* type = "STRING");
    void set_transient_for(xcb_window_t w, xcb_window_t owner);

    // These return once the change is in effect (under a window manager,
    // once it has managed, iconified or restacked the window).
    void map(xcb_window_t w);
    void iconify(xcb_window_t w);
    void raise(xcb_window_t w);
    void destroy(xcb_window_t w);

    // The window ids whose WM_DELETE_WINDOW requests arrived, in order.
    const std::vector<xcb_window_t>& close_requests();
    bool wait_for_close_request(xcb_window_t w, std::chrono::milliseconds limit);

    // Plays the window manager without being one: a check window, the root
    // properties of the given stacking list and supported atoms, and the
    // substructure redirect that receives _NET_CLOSE_WINDOW. The root
    // properties are removed again when the client goes.
    void pose_as_window_manager(const std::vector<xcb_window_t>& stacking_bottom_up,
                                const std::vector<std::string>& supported, bool check_names_itself);
    // The _NET_CLOSE_WINDOW messages that reached the root, as received.
    std::vector<xcb_client_message_event_t> root_close_messages(std::chrono::milliseconds limit);

    // One round trip: the server has handled every request sent so far.
    bool alive();
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const char* name);
    std::vector<std::uint32_t> root_longs(const char* property);

private:
    void flush_and_wait(const char* what, xcb_window_t w, const std::function<bool()>& done);
    void pump();
    std::uint32_t wm_state(xcb_window_t w);
    std::vector<std::uint32_t> longs(xcb_window_t w, const char* property, xcb_atom_t type);

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    bool managed_;
    bool posing_ = false;
    std::vector<xcb_window_t> close_requests_;
    std::vector<xcb_client_message_event_t> root_messages_;
};

}  // namespace vorlix::testing
