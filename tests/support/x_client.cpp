#include "x_client.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "support.h"

namespace vorlix::testing {
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T>
Reply<T> own(T* reply) {
    return Reply<T>(reply, &std::free);
}

void send(xcb_connection_t* c, xcb_window_t to, xcb_window_t w, xcb_atom_t type,
          std::uint32_t data0, std::uint32_t data1) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = type;
    ev.data.data32[0] = data0;
    ev.data.data32[1] = data1;
    xcb_send_event(c, 0, to,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(c);
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
    if (posing_)
        for (const char* p :
             {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_CLIENT_LIST_STACKING"})
            xcb_delete_property(c_, root_, atom(p));
    alive();
    xcb_disconnect(c_);
}

xcb_atom_t XClient::atom(const char* name) {
    auto [it, added] = atoms_.try_emplace(name, XCB_ATOM_NONE);
    if (added)
        if (auto r = own(xcb_intern_atom_reply(
                c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr)))
            it->second = r->atom;
    return it->second;
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
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    if (!title.empty()) set_net_name(w, title);
    if (deletable) set(w, "WM_PROTOCOLS", "ATOM", {atom("WM_DELETE_WINDOW")});
    alive();
    return w;
}

void XClient::set(xcb_window_t w, const char* property, const char* type, std::string_view bytes) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(property), atom(type), 8,
                        std::uint32_t(bytes.size()), bytes.data());
    alive();
}

void XClient::set(xcb_window_t w, const char* property, const char* type,
                  const std::vector<std::uint32_t>& items) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(property), atom(type), 32,
                        std::uint32_t(items.size()), items.data());
    alive();
}

void XClient::settle(const char* what, xcb_window_t w, bool (XClient::*done)(xcb_window_t)) {
    if (managed_ && !test::wait_until([&] { return (this->*done)(w); }))
        throw std::runtime_error(std::string("the window manager did not ") + what + " " +
                                 std::to_string(w));
    alive();
}

bool XClient::is_managed(xcb_window_t w) {
    const auto list = items(root_, "_NET_CLIENT_LIST_STACKING");
    return std::find(list.begin(), list.end(), w) != list.end() && wm_state(w) == 1;
}

bool XClient::is_on_top(xcb_window_t w) {
    const auto list = items(root_, "_NET_CLIENT_LIST_STACKING");
    return !list.empty() && list.back() == w;
}

void XClient::map(xcb_window_t w) {
    xcb_map_window(c_, w);
    settle("manage", w, &XClient::is_managed);
}

void XClient::iconify(xcb_window_t w) {
    if (!managed_) {
        // With no window manager, do what one would: unmap and mark iconic.
        xcb_unmap_window(c_, w);
        set(w, "WM_STATE", "WM_STATE", {3, 0});
    }
    send(c_, root_, w, atom("WM_CHANGE_STATE"), 3, 0);
    settle("iconify", w, &XClient::is_iconic);
}

void XClient::raise(xcb_window_t w) {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c_, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    settle("raise", w, &XClient::is_on_top);
}

void XClient::destroy(xcb_window_t w) {
    xcb_destroy_window(c_, w);
    alive();
}

void XClient::pump() {
    while (auto e = own(xcb_poll_for_event(c_))) {
        if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
        const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e.get());
        if (m->type == atom("WM_PROTOCOLS") && m->data.data32[0] == atom("WM_DELETE_WINDOW")) {
            close_requests_.push_back(m->window);
            if (honours_close) xcb_destroy_window(c_, m->window);
        } else if (m->type == atom("_NET_CLOSE_WINDOW")) {
            root_messages_.push_back(*m);
        }
    }
}

const std::vector<xcb_window_t>& XClient::close_requests() {
    alive();
    pump();
    return close_requests_;
}

bool XClient::wait_for_close_request(xcb_window_t w, std::chrono::milliseconds limit) {
    return test::wait_until(
        [&] { return std::count(close_requests().begin(), close_requests().end(), w) > 0; }, limit);
}

void XClient::click_close_box(xcb_window_t w) {
    send(c_, root_, w, atom("_NET_CLOSE_WINDOW"), XCB_CURRENT_TIME, 2 /* from a pager */);
}

void XClient::pose_as_window_manager(const std::vector<xcb_window_t>& stacking_bottom_up,
                                     const std::vector<std::string>& supported,
                                     bool check_names_itself) {
    posing_ = true;
    const xcb_window_t check = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, check, root_, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    set(check, "_NET_SUPPORTING_WM_CHECK", "WINDOW", {check_names_itself ? check : root_});
    set(root_, "_NET_SUPPORTING_WM_CHECK", "WINDOW", {check});
    std::vector<std::uint32_t> atoms;
    for (const auto& s : supported) atoms.push_back(atom(s.c_str()));
    set(root_, "_NET_SUPPORTED", "ATOM", atoms);
    set(root_, "_NET_CLIENT_LIST_STACKING", "WINDOW", stacking_bottom_up);
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    alive();
}

std::vector<xcb_client_message_event_t> XClient::root_close_messages(
    std::chrono::milliseconds limit) {
    (void)test::wait_until([&] { return alive() && (pump(), !root_messages_.empty()); }, limit);
    return root_messages_;
}

xcb_window_t XClient::managed_window(std::string_view title) {
    for (const xcb_window_t w : items(root_, "_NET_CLIENT_LIST")) {
        auto r = own(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024),
            nullptr));
        if (r && std::string_view(static_cast<const char*>(xcb_get_property_value(r.get())),
                                  std::size_t(xcb_get_property_value_length(r.get()))) == title)
            return w;
    }
    return 0;
}

Frame XClient::frame(xcb_window_t w) {
    auto g = own(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr));
    auto t = own(xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, w, root_, 0, 0),
                                                 nullptr));
    auto e = items(w, "_NET_FRAME_EXTENTS");  // left, right, top, bottom
    e.resize(4, 0);
    if (!g || !t) return {};
    return {t->dst_x - int(e[0]), t->dst_y - int(e[2]), g->width + int(e[0] + e[1]),
            g->height + int(e[2] + e[3])};
}

}  // namespace vorlix::testing
