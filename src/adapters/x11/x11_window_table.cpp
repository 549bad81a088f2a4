#include "adapters/x11/x11_window_table.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace vorlix::platform::x11 {

WindowInfo* TitleTable::find(xcb_window_t id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

void TitleTable::store(xcb_window_t id, WindowInfo w, bool index) {
    w.title = title_of(w);
    w.key = text::title_key(w.title);
    w.rank = next_rank_++;
    if (const WindowInfo* old = find(id)) index_erase(id, *old);
    WindowInfo& stored = windows_.insert_or_assign(id, std::move(w)).first->second;
    if (index) index_insert(id, stored);
}

void TitleTable::retitle(xcb_window_t id, WindowInfo& w) {
    std::string t = title_of(w);
    if (t == w.title) return;
    index_erase(id, w);
    w.title = std::move(t);
    w.key = text::title_key(w.title);
    index_insert(id, w);
}

void TitleTable::erase(xcb_window_t id) {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    index_erase(id, it->second);
    windows_.erase(it);
}

void TitleTable::keep_only(const std::unordered_set<xcb_window_t>& ids) {
    std::erase_if(windows_, [&](const auto& entry) { return !ids.contains(entry.first); });
}

void TitleTable::restack(const std::vector<xcb_window_t>& topmost_first) {
    by_key_.clear();
    next_rank_ = 0;
    for (const xcb_window_t id : topmost_first) {
        WindowInfo* w = find(id);
        if (w == nullptr) continue;
        w->rank = next_rank_++;
        if (!w->override_redirect && !w->key.empty()) by_key_[w->key].push_back(id);
    }
}

xcb_window_t TitleTable::find_key(const std::string& key) const {
    const auto it = by_key_.find(key);
    return it == by_key_.end() ? 0 : it->second.front();
}

void TitleTable::index_insert(xcb_window_t id, const WindowInfo& w) {
    if (w.key.empty() || w.override_redirect) return;
    auto& list = by_key_[w.key];
    const auto at = std::lower_bound(
        list.begin(), list.end(), w.rank,
        [this](xcb_window_t other, std::size_t rank) { return windows_.at(other).rank < rank; });
    list.insert(at, id);
}

void TitleTable::index_erase(xcb_window_t id, const WindowInfo& w) {
    if (w.key.empty()) return;
    auto it = by_key_.find(w.key);
    if (it == by_key_.end()) return;
    std::erase(it->second, id);
    if (it->second.empty()) by_key_.erase(it);
}

}  // namespace vorlix::platform::x11
