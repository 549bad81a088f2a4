// Every top-level window the adapter knows, with its place in the stacking
// order, and the title index it feeds, topmost first: a look-up by title is
// one hash look-up.
#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "adapters/x11/x11_properties.h"
#include "base/title_index.h"

namespace vorlix::adapters::x11 {

class WindowTable {
public:
    [[nodiscard]] WindowInfo* find(xcb_window_t id);
    [[nodiscard]] bool contains(xcb_window_t id) const { return windows_.contains(id); }

    // Stores a window just read, below every window ranked so far; into
    // the index unless a walk rebuilds the index next.
    void store(xcb_window_t id, WindowInfo w, bool index);
    // Re-keys the window after one of its two title sources changed.
    void retitle(xcb_window_t id, WindowInfo& w);
    void erase(xcb_window_t id);
    void keep_only(const std::unordered_set<xcb_window_t>& ids);
    // Ranks the windows in this order, topmost first, and rebuilds the index.
    void restack(const std::vector<xcb_window_t>& topmost_first);

    // The topmost window whose title has this key (text::title_key), or 0.
    [[nodiscard]] xcb_window_t find_key(const std::string& key) const;
    // The same for the key head.text + tail.text.
    [[nodiscard]] xcb_window_t find_keys(const TitleKey& head, const TitleKey& tail) const {
        return static_cast<xcb_window_t>(index_.find(head, tail));
    }

    [[nodiscard]] const TitleIndex& index() const { return index_; }

private:
    // Into the index if `index` and the window is ever looked up, else out.
    void file(xcb_window_t id, const WindowInfo& w, bool index);

    std::unordered_map<xcb_window_t, WindowInfo> windows_;
    TitleIndex index_;
    std::size_t next_rank_ = 0;
    std::size_t restacks_ = 0;
};

}  // namespace vorlix::adapters::x11
