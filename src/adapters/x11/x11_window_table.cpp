#include "adapters/x11/x11_window_table.h"

#include <utility>

#include "base/text.h"

namespace vorlix::adapters::x11 {

WindowInfo* WindowTable::find(xcb_window_t id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

void WindowTable::store(xcb_window_t id, WindowInfo w, bool index) {
    w.title = title_of(w);
    w.key = text::title_key(w.title);
    w.rank = next_rank_++;
    file(id, windows_.insert_or_assign(id, std::move(w)).first->second, index);
}

void WindowTable::retitle(xcb_window_t id, WindowInfo& w) {
    std::string t = title_of(w);
    if (t == w.title) return;
    w.title = std::move(t);
    w.key = text::title_key(w.title);
    file(id, w, true);
}

void WindowTable::erase(xcb_window_t id) {
    index_.remove(id);
    windows_.erase(id);
}

void WindowTable::keep_only(const std::unordered_set<xcb_window_t>& ids) {
    std::erase_if(windows_, [&](const auto& entry) {
        if (ids.contains(entry.first)) return false;
        index_.remove(entry.first);
        return true;
    });
}

void WindowTable::restack(const std::vector<xcb_window_t>& topmost_first) {
    // Re-filed in place: a window that keeps its title and place changes
    // nothing in the index.
    ++restacks_;
    next_rank_ = 0;
    for (const xcb_window_t id : topmost_first) {
        WindowInfo* w = find(id);
        if (w == nullptr) continue;
        w->rank = next_rank_++;
        w->restack = restacks_;
        file(id, *w, true);
    }
    for (const auto& [id, w] : windows_)
        if (w.restack != restacks_) index_.remove(id);
}

xcb_window_t WindowTable::find_key(const std::string& key) const {
    return static_cast<xcb_window_t>(index_.find(key));
}

// Override-redirect windows (menus, tooltips) and untitled ones are never
// looked up.
void WindowTable::file(xcb_window_t id, const WindowInfo& w, bool index) {
    if (index && !w.override_redirect && !w.key.empty()) {
        index_.insert(id, w.key, static_cast<TitleIndex::Rank>(w.rank));
    } else {
        index_.remove(id);
    }
}

}  // namespace vorlix::adapters::x11
