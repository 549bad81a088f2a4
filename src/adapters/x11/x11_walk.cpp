#include "adapters/x11/x11_walk.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace vorlix::adapters::x11 {
namespace {

// How far below a frame its client is looked for, and among how many
// windows on each level: a window manager nests its client a level or two
// deep, and the search runs at every walk for frames still without one.
constexpr int kSearchDepth = 2;
constexpr int kSearchWidth = 64;

}  // namespace

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
    if (current_) {
        reader_.take_answers(/*block=*/true);  // titles asked for since
        for (const xcb_window_t id : snapshot_)
            if (table_.contains(id)) return id;
        return 0;
    }
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
    current_ = true;      // unless a frame's client is still to come

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

    // Frames stay in the table, so that they are not read again each walk.
    std::unordered_set<xcb_window_t> kept = member_set;
    if (by_wm) client_of_.clear();
    for (const auto& [frame, client] : client_of_)
        if (member_set.contains(frame)) kept.insert(client);
    table_.keep_only(kept);
    reader_.forget_created();
    std::vector<xcb_window_t> unknown;
    for (const xcb_window_t id : members)
        if (!table_.contains(id)) unknown.push_back(id);
    reader_.read_now(unknown);
    if (!by_wm) members = clients_for(members);

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

std::vector<xcb_window_t> Walk::clients_for(const std::vector<xcb_window_t>& top_levels) {
    std::unordered_map<xcb_window_t, xcb_window_t> known;
    std::vector<xcb_window_t> frames;
    for (const xcb_window_t id : top_levels) {
        const WindowInfo* w = table_.find(id);
        if (w == nullptr || w->override_redirect || w->client) continue;
        const auto it = client_of_.find(id);
        if (it != client_of_.end() && table_.contains(it->second)) {
            known.insert(*it);
        } else {
            frames.push_back(id);
        }
    }
    known.merge(search_clients(frames));
    client_of_ = std::move(known);
    std::vector<xcb_window_t> unread;
    for (const auto& [frame, client] : client_of_)
        if (!table_.contains(client)) unread.push_back(client);
    reader_.read_now(unread);

    std::vector<xcb_window_t> listed;
    std::unordered_set<xcb_window_t> seen;
    for (const xcb_window_t id : top_levels) {
        const auto it = client_of_.find(id);
        const xcb_window_t shown = it == client_of_.end() ? id : it->second;
        if (seen.insert(shown).second) listed.push_back(shown);
    }
    return listed;
}

// Breadth first, each level's requests in one batch: the first window below
// the frame that carries WM_STATE is its client.
std::unordered_map<xcb_window_t, xcb_window_t> Walk::search_clients(
    const std::vector<xcb_window_t>& frames) {
    std::unordered_map<xcb_window_t, xcb_window_t> found;
    std::unordered_set<xcb_window_t> searched_below;           // frames with a window below them
    std::vector<std::pair<xcb_window_t, xcb_window_t>> level;  // (frame, window below it)
    for (const xcb_window_t f : frames) level.emplace_back(f, f);
    for (int depth = 0; depth < kSearchDepth && !level.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> trees;
        for (const auto& entry : level)
            trees.push_back(xcb_query_tree_unchecked(link_.c(), entry.second));
        std::vector<std::pair<xcb_window_t, xcb_window_t>> below;
        std::vector<xcb_get_property_cookie_t> states;
        for (std::size_t i = 0; i < level.size(); ++i) {
            const auto tree = link_.wait(xcb_query_tree_reply, trees[i]);
            if (!tree) continue;  // gone meanwhile
            const auto* kids = xcb_query_tree_children(tree.get());
            const int n = std::min(xcb_query_tree_children_length(tree.get()), kSearchWidth);
            if (n > 0) searched_below.insert(level[i].first);
            for (int k = 0; k < n; ++k) {
                below.emplace_back(level[i].first, kids[k]);
                states.push_back(request_property(link_, kids[k], kPropState));
            }
        }
        level.clear();
        for (std::size_t i = 0; i < below.size(); ++i) {
            const auto state = link_.wait(xcb_get_property_reply, states[i]);
            if (found.contains(below[i].first)) continue;
            if (!property_longs(state.get(), link_.atom(kWmState)).empty()) {
                found.insert(below[i]);
            } else {
                level.push_back(below[i]);
            }
        }
        std::erase_if(level, [&](const auto& entry) { return found.contains(entry.first); });
    }
    // A window below a frame may be a client whose WM_STATE is yet to come,
    // and its events do not reach us: such a frame is searched at every walk.
    if (std::any_of(frames.begin(), frames.end(), [&](xcb_window_t f) {
            return !found.contains(f) && searched_below.contains(f);
        }))
        current_ = false;
    return found;
}

xcb_window_t Walk::next(xcb_window_t w) const {
    const auto at = position_.find(w);
    if (at == position_.end() || !table_.contains(w)) return 0;
    // Windows destroyed since the walk began are passed over.
    for (std::size_t i = at->second + 1; i < snapshot_.size(); ++i)
        if (table_.contains(snapshot_[i])) return snapshot_[i];
    return 0;
}

}  // namespace vorlix::adapters::x11
