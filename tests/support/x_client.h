// The tests' one X client, on a connection of its own: it makes top-level
// windows in every shape the adapters must read (any title property and
// encoding, owned, hidden, iconic by its WM_STATE, malformed), and honours or ignores the
// close requests that reach them.
#pragma once

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vorlix::test {

class XClient {
public:
    // `managed`: a window manager runs, so map returns only once it has
    // managed the window. Throws when it cannot connect.
    XClient(const std::string& display, bool managed);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // An unmapped window; `title` goes to _NET_WM_NAME unless empty.
    // `deletable`: WM_PROTOCOLS lists WM_DELETE_WINDOW.
    xcb_window_t create(std::string_view title, bool deletable = true);
    // Any property, named by atoms: bytes (format 8) or 32-bit items.
    void set(xcb_window_t w, const char* property, const char* type, std::string_view bytes) {
        change(w, property, type, 8, bytes.size(), bytes.data());
    }
    void set(xcb_window_t w, const char* property, const char* type,
             const std::vector<std::uint32_t>& items) {
        change(w, property, type, 32, items.size(), items.data());
    }
    void set_net_name(xcb_window_t w, std::string_view utf8) {
        set(w, "_NET_WM_NAME", "UTF8_STRING", utf8);
    }
    void map(xcb_window_t w);
    void unmap(xcb_window_t w) { xcb_unmap_window(c_, w), alive(); }
    void destroy(xcb_window_t w);

    // The windows whose WM_DELETE_WINDOW requests arrived, in order.
    const std::vector<xcb_window_t>& close_requests();
    bool wait_for_close_request(xcb_window_t w, std::chrono::milliseconds limit);
    // Asks the window manager to close `w`, as a click on its close box does.
    void click_close_box(xcb_window_t w);
    // Puts `w` on top: itself without a window manager, through it with one.
    void raise(xcb_window_t w);

    // One round trip: the server has handled every request sent so far.
    bool alive();
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const char* name);
    // A property's 32-bit items, of any type.
    std::vector<std::uint32_t> items(xcb_window_t w, const char* property);
    // WM_STATE says `state` (1 shown, 3 iconic): a window manager manages it.
    bool has_state(xcb_window_t w, std::uint32_t state);

private:
    void change(xcb_window_t w, const char* property, const char* type, std::uint8_t format,
                std::size_t count, const void* data);
    void pump();
    // A message to the window manager about `w`, with its data as the
    // message type lays it out.
    void ask_window_manager(xcb_window_t w, const char* type, std::array<std::uint32_t, 5> data);

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    bool managed_;
    std::map<std::string, xcb_atom_t, std::less<>> atoms_;
    std::vector<xcb_window_t> close_requests_;
};

}  // namespace vorlix::test
