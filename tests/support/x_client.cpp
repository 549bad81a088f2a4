#include "x_client.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "support.h"

namespace vorlix::test {
namespace {

template <class T>
std::unique_ptr<T, decltype(&std::free)> own(T* reply) {
    return {reply, &std::free};
}

}  // namespace

XClient::XClient(const std::string& display, bool managed)
    : c_(xcb_connect(display.c_str(), nullptr)), managed_(managed) {
    if (xcb_connection_has_error(c_) != 0) {
        xcb_disconnect(c_);
        throw std::runtime_error("cannot connect to " + display);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

XClient::~XClient() {
    alive();
    xcb_disconnect(c_);
}

xcb_atom_t XClient::atom(const char* name) {
    xcb_atom_t& a = atoms_[name];
    if (a != XCB_ATOM_NONE) return a;
    const auto cookie = xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name);
    if (auto r = own(xcb_intern_atom_reply(c_, cookie, nullptr))) a = r->atom;
    return a;
}

bool XClient::alive() {
    return own(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)) != nullptr;
}

std::vector<std::uint32_t> XClient::items(xcb_window_t w, const char* property) {
    auto r = own(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, atom(property), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
        nullptr));
    if (!r || r->format != 32) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return {data, data + xcb_get_property_value_length(r.get()) / 4};
}
xcb_window_t XClient::create(std::string_view title, bool deletable) {
    const xcb_window_t w = xcb_generate_id(c_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    // Painted: a compositor on XWayland lists a window once it has content.
    const std::uint32_t white = screen->white_pixel;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                      &white);
    if (!title.empty()) set_net_name(w, title);
    if (deletable) set(w, "WM_PROTOCOLS", "ATOM", {atom("WM_DELETE_WINDOW")});
    alive();
    return w;
}

void XClient::change(xcb_window_t w, const char* property, const char* type, std::uint8_t format,
                     std::size_t count, const void* data) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(property), atom(type), format,
                        std::uint32_t(count), data);
    alive();
}

bool XClient::has_state(xcb_window_t w, std::uint32_t state) {
    const auto s = items(w, "WM_STATE");
    return !s.empty() && s[0] == state;
}

void XClient::map(xcb_window_t w) {
    xcb_map_window(c_, w);
    if (managed_ && !test::wait_until([&] {
            const auto stacking = items(root_, "_NET_CLIENT_LIST_STACKING");
            return has_state(w, 1) && std::ranges::count(stacking, w) > 0;
        }))
        throw std::runtime_error("the window manager did not manage a window");
    alive();
}

void XClient::destroy(xcb_window_t w) {
    xcb_destroy_window(c_, w);
    alive();
}

void XClient::pump() {
    while (auto e = own(xcb_poll_for_event(c_))) {
        const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e.get());
        if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
        if (m->type != atom("WM_PROTOCOLS") || m->data.data32[0] != atom("WM_DELETE_WINDOW"))
            continue;
        close_requests_.push_back(m->window);
    }
    xcb_flush(c_);
}

const std::vector<xcb_window_t>& XClient::close_requests() {
    alive();
    pump();
    return close_requests_;
}

bool XClient::wait_for_close_request(xcb_window_t w, std::chrono::milliseconds limit) {
    return test::wait_until([&] { return std::ranges::count(close_requests(), w) > 0; }, limit);
}

void XClient::click_close_box(xcb_window_t w) {
    // From a pager (source 2): honoured whatever the focus.
    ask_window_manager(w, "_NET_CLOSE_WINDOW", {0, 2});
}

void XClient::raise(xcb_window_t w) {
    if (managed_) {
        ask_window_manager(w, "_NET_ACTIVE_WINDOW", {2});
    } else {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c_, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }
    alive();
}

void XClient::ask_window_manager(xcb_window_t w, const char* type,
                                 std::array<std::uint32_t, 5> data) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = atom(type);
    std::copy(data.begin(), data.end(), ev.data.data32);
    xcb_send_event(c_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    alive();
}

}  // namespace vorlix::test
