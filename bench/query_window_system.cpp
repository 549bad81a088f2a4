#include "query_window_system.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/text.h"

namespace vorlix::bench {
namespace {

struct FreeDeleter {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t intern(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace

QueryWindowSystem::QueryWindowSystem(platform::WindowSystem& walker, const std::string& display)
    : ForwardingWindowSystem(walker), c_(xcb_connect(display.c_str(), nullptr)) {
    if (xcb_connection_has_error(c_) != 0) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    net_wm_name_ = intern(c_, "_NET_WM_NAME");
    utf8_ = intern(c_, "UTF8_STRING");
}

QueryWindowSystem::~QueryWindowSystem() {
    xcb_disconnect(c_);
}

platform::WindowId QueryWindowSystem::find_by_title(std::string_view title) {
    return find_key(text::title_key(title));
}

std::optional<platform::WindowId> QueryWindowSystem::find_by_keys(const TitleKey& head,
                                                                  const TitleKey& tail) {
    return find_key(head.text + tail.text);
}

platform::WindowId QueryWindowSystem::find_key(const std::string& wanted) {
    if (xcb_connection_has_error(c_) != 0) return 0;
    ++replies_;
    ++round_trips_;
    Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
    if (!tree) return 0;
    const xcb_window_t* kids = xcb_query_tree_children(tree.get());
    const int n = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_property_cookie_t> asks(static_cast<std::size_t>(n));
    // Topmost first, as a look-up by title answers.
    for (int i = n; i-- > 0;)
        asks[static_cast<std::size_t>(n - 1 - i)] =
            xcb_get_property_unchecked(c_, 0, kids[i], net_wm_name_, utf8_, 0, 2048);
    ++round_trips_;
    platform::WindowId found = 0;
    for (int k = 0; k < n; ++k) {
        const auto& cookie = asks[static_cast<std::size_t>(k)];
        if (found != 0) {
            xcb_discard_reply(c_, cookie.sequence);
            continue;
        }
        ++replies_;
        Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(c_, cookie, nullptr));
        if (!r || r->format != 8) continue;
        std::string name(static_cast<const char*>(xcb_get_property_value(r.get())),
                         static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
        if (text::title_key(name) == wanted) found = kids[n - 1 - k];
    }
    return found;
}

}  // namespace vorlix::bench
