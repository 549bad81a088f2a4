#include "test_client.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

namespace vorlix::testing {
namespace {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kSettle{5};

std::size_t index_of(const std::vector<std::uint32_t>& list, xcb_window_t w) {
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), w) - list.begin());
}

}  // namespace

TestClient::TestClient(const std::string& display, bool managed)
    : c_(xcb_connect(display.c_str(), nullptr)), managed_(managed) {
    if (xcb_connection_has_error(c_) != 0) throw std::runtime_error("cannot connect to " + display);
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

TestClient::~TestClient() {
    if (posing_) {
        for (const char* p :
             {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_CLIENT_LIST_STACKING"})
            xcb_delete_property(c_, root_, atom(p));
        alive();
    }
    xcb_disconnect(c_);
}

xcb_atom_t TestClient::atom(const char* name) {
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

bool TestClient::alive() {
    Reply<xcb_get_input_focus_reply_t> r(
        xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    return r != nullptr && xcb_connection_has_error(c_) == 0;
}

std::vector<std::uint32_t> TestClient::longs(xcb_window_t w, const char* property,
                                             xcb_atom_t type) {
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, atom(property), type, 0, 4096), nullptr));
    if (!r || r->format != 32) return {};
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return {data, data + xcb_get_property_value_length(r.get()) / 4};
}

std::vector<std::uint32_t> TestClient::root_longs(const char* property) {
    return longs(root_, property, XCB_GET_PROPERTY_TYPE_ANY);
}

std::uint32_t TestClient::wm_state(xcb_window_t w) {
    const auto state = longs(w, "WM_STATE", atom("WM_STATE"));
    return state.empty() ? 0 : state[0];
}

void TestClient::flush_and_wait(const char* what, xcb_window_t w,
                                const std::function<bool()>& done) {
    const auto deadline = Clock::now() + kSettle;
    while (alive() && !done()) {
        if (Clock::now() > deadline)
            throw std::runtime_error(std::string("the window manager did not ") + what +
                                     " window " + std::to_string(w));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

xcb_window_t TestClient::create(std::string_view title, bool deletable) {
    const xcb_window_t w = xcb_generate_id(c_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    if (!title.empty()) set_net_name(w, title);
    if (deletable) {
        const xcb_atom_t del = atom("WM_DELETE_WINDOW");
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 32,
                            1, &del);
    }
    alive();
    return w;
}

void TestClient::set_net_name(xcb_window_t w, std::string_view utf8) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(utf8.size()), utf8.data());
    alive();
}

void TestClient::set_wm_name(xcb_window_t w, std::string_view bytes, const char* type) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, atom(type), 8,
                        static_cast<std::uint32_t>(bytes.size()), bytes.data());
    alive();
}

void TestClient::set_transient_for(xcb_window_t w, xcb_window_t owner) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW,
                        32, 1, &owner);
    alive();
}

void TestClient::map(xcb_window_t w) {
    xcb_map_window(c_, w);
    if (!managed_) {
        alive();
        return;
    }
    flush_and_wait("manage", w, [&] {
        return index_of(root_longs("_NET_CLIENT_LIST_STACKING"), w) <
                   root_longs("_NET_CLIENT_LIST_STACKING").size() &&
               wm_state(w) == 1;
    });
}

void TestClient::iconify(xcb_window_t w) {
    if (!managed_) {
        // With no window manager, do what one would: unmap and mark iconic.
        xcb_unmap_window(c_, w);
        const std::uint32_t state[2] = {3, 0};
        const xcb_atom_t wm_state_atom = atom("WM_STATE");
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, wm_state_atom, wm_state_atom, 32, 2,
                            state);
        alive();
        return;
    }
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = atom("WM_CHANGE_STATE");
    ev.data.data32[0] = 3;
    xcb_send_event(c_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    flush_and_wait("iconify", w, [&] { return wm_state(w) == 3; });
}

void TestClient::raise(xcb_window_t w) {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c_, w, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    if (!managed_) {
        alive();
        return;
    }
    flush_and_wait("raise", w, [&] {
        const auto list = root_longs("_NET_CLIENT_LIST_STACKING");
        return !list.empty() && list.back() == w;
    });
}

void TestClient::destroy(xcb_window_t w) {
    xcb_destroy_window(c_, w);
    alive();
}

void TestClient::pump() {
    while (xcb_generic_event_t* raw = xcb_poll_for_event(c_)) {
        Reply<xcb_generic_event_t> e(raw);
        if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
        const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(e.get());
        if (m->type == atom("WM_PROTOCOLS") && m->data.data32[0] == atom("WM_DELETE_WINDOW"))
            close_requests_.push_back(m->window);
        else if (m->type == atom("_NET_CLOSE_WINDOW"))
            root_messages_.push_back(*m);
    }
}

const std::vector<xcb_window_t>& TestClient::close_requests() {
    alive();
    pump();
    return close_requests_;
}

bool TestClient::wait_for_close_request(xcb_window_t w, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    do {
        const auto& got = close_requests();
        if (std::find(got.begin(), got.end(), w) != got.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (Clock::now() < deadline);
    return false;
}

void TestClient::pose_as_window_manager(const std::vector<xcb_window_t>& stacking_bottom_up,
                                        const std::vector<std::string>& supported,
                                        bool check_names_itself) {
    posing_ = true;
    const xcb_window_t check = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, check, root_, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t check_atom = atom("_NET_SUPPORTING_WM_CHECK");
    const xcb_window_t named = check_names_itself ? check : root_;
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, check, check_atom, XCB_ATOM_WINDOW, 32, 1,
                        &named);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, check_atom, XCB_ATOM_WINDOW, 32, 1,
                        &check);
    std::vector<xcb_atom_t> atoms;
    for (const auto& s : supported) atoms.push_back(atom(s.c_str()));
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_CLIENT_LIST_STACKING"),
                        XCB_ATOM_WINDOW, 32, static_cast<std::uint32_t>(stacking_bottom_up.size()),
                        stacking_bottom_up.data());
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    alive();
}

std::vector<xcb_client_message_event_t> TestClient::root_close_messages(
    std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (alive() && (pump(), root_messages_.empty()) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return root_messages_;
}

}  // namespace vorlix::testing
