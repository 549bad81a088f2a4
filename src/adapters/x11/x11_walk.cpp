#include "adapters/x11/x11_walk.h"

#include <algorithm>
#include <unordered_set>

namespace vorlix::platform::x11 {

// A window manager counts when its check window names itself.
void Walk::verify_window_manager(xcb_window_t check) {
    if (check == wm_check_) return;
    wm_check_ = 0;
    if (check == 0) return;
    // The same events as for any top-level window: selecting replaces.
    xcb_change_window_attributes(link_.c(), check, XCB_CW_EVENT_MASK, &kClientEvents);
    auto r = link_.wait(
        xcb_get_property_reply,
        link_.get_property(check, link_.atom(kNetSupportingWmCheck), XCB_ATOM_WINDOW, 1));
    const auto self = property_longs(r.get(), XCB_ATOM_WINDOW);
    if (!self.empty() && self[0] == check) wm_check_ = check;
}

xcb_window_t Walk::first() {
    snapshot_.clear();
    position_.clear();
    const xcb_window_t root = link_.root();
    const auto tree_cookie = xcb_query_tree_unchecked(link_.c(), root);
    const auto check_cookie =
        link_.get_property(root, link_.atom(kNetSupportingWmCheck), XCB_ATOM_WINDOW, 1);
    const auto supported_cookie =
        link_.get_property(root, link_.atom(kNetSupported), XCB_ATOM_ATOM, 4096);
    const auto stacking_cookie =
        link_.get_property(root, link_.atom(kNetClientListStacking), XCB_ATOM_WINDOW, 1u << 16);
    reader_.take_answers(/*block=*/true);  // the index is rebuilt below
    auto tree = link_.wait(xcb_query_tree_reply, tree_cookie);
    auto check = link_.wait(xcb_get_property_reply, check_cookie);
    auto supported = link_.wait(xcb_get_property_reply, supported_cookie);
    auto stacking = link_.wait(xcb_get_property_reply, stacking_cookie);
    if (!tree) return 0;  // the connection is gone

    const auto check_list = property_longs(check.get(), XCB_ATOM_WINDOW);
    verify_window_manager(check_list.empty() ? 0 : check_list[0]);
    const auto supports = property_longs(supported.get(), XCB_ATOM_ATOM);
    auto lists = [&](AtomName a) {
        return std::find(supports.begin(), supports.end(), link_.atom(a)) != supports.end();
    };
    wm_closes_ = wm_check_ != 0 && lists(kNetCloseWindow);
    const bool by_wm = wm_check_ != 0 && lists(kNetClientListStacking) && stacking &&
                       stacking->type == XCB_ATOM_WINDOW;

    // The table holds every top-level window, so that hidden ones can be
    // found as well; the walk visits the managed clients when a window
    // manager stacks them, never its frames.
    const auto* kids = xcb_query_tree_children(tree.get());
    std::vector<xcb_window_t> members;
    std::unordered_set<xcb_window_t> member_set;
    std::unordered_set<xcb_window_t> clients;
    // Each window once, even if a list names it twice: the walk must end.
    auto add = [&](xcb_window_t id) {
        if (member_set.insert(id).second) members.push_back(id);
    };
    if (by_wm) {
        const auto list = property_longs(stacking.get(), XCB_ATOM_WINDOW);
        for (auto it = list.rbegin(); it != list.rend(); ++it) add(*it);
        clients.insert(list.begin(), list.end());
    }
    for (int i = xcb_query_tree_children_length(tree.get()); i-- > 0;) add(kids[i]);

    table_.keep_only(member_set);
    reader_.forget_created();
    std::vector<xcb_window_t> unknown;
    for (const xcb_window_t id : members)
        if (!table_.contains(id)) unknown.push_back(id);
    reader_.read_now(unknown);

    table_.restack(members);
    for (const xcb_window_t id : members) {
        WindowInfo* w = table_.find(id);
        if (w == nullptr) continue;
        w->managed = clients.contains(id);
        if (!w->override_redirect && (!by_wm || w->managed)) {
            position_.emplace(id, snapshot_.size());
            snapshot_.push_back(id);
        }
    }
    xcb_flush(link_.c());
    return snapshot_.empty() ? 0 : snapshot_.front();
}

xcb_window_t Walk::next(xcb_window_t w) const {
    const auto at = position_.find(w);
    if (at == position_.end() || !table_.contains(w)) return 0;
    // Windows destroyed since the walk began are passed over.
    for (std::size_t i = at->second + 1; i < snapshot_.size(); ++i)
        if (table_.contains(snapshot_[i])) return snapshot_[i];
    return 0;
}

}  // namespace vorlix::platform::x11
