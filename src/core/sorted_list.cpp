#include "core/sorted_list.h"

#include <algorithm>
#include <iterator>

#include "base/text.h"

namespace vorlix::core {

namespace {

bool less(const std::string& a, const std::string& b) {
    return text::compare_ignore_case(a, b) < 0;
}

}  // namespace

void SortedList::attach(platform::ListBoxView* view) {
    view_ = view;
    if (!view_) return;
    view_->clear();
    for (int i = 0; i < count(); ++i) view_->insert(i, entries_[static_cast<std::size_t>(i)]);
}

int SortedList::add(std::string entry) {
    if (count() >= kMaxEntries) return -1;
    const auto it = std::upper_bound(entries_.begin(), entries_.end(), entry, less);
    const int pos = static_cast<int>(it - entries_.begin());
    ++edits_;
    keys_.insert(keys_.begin() + pos, std::nullopt);
    entries_.insert(it, std::move(entry));
    if (view_) view_->insert(pos, entries_[static_cast<std::size_t>(pos)]);
    return pos;
}

int SortedList::add_all(std::vector<std::string> entries) {
    const std::size_t room = static_cast<std::size_t>(kMaxEntries - count());
    if (entries.size() > room) entries.resize(room);
    if (entries.empty()) return 0;
    const int added = static_cast<int>(entries.size());

    // One by one, each entry would land after every equal one already there,
    // earlier arrivals included: a stable sort, then a merge that takes the
    // existing entry first among equals, gives exactly that order.
    std::stable_sort(entries.begin(), entries.end(), less);
    std::vector<std::string> merged;
    merged.reserve(entries_.size() + entries.size());
    std::merge(std::make_move_iterator(entries_.begin()), std::make_move_iterator(entries_.end()),
               std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()),
               std::back_inserter(merged), less);
    entries_ = std::move(merged);
    ++edits_;
    keys_.assign(entries_.size(), std::nullopt);
    attach(view_);
    return added;
}

void SortedList::remove(int pos) {
    if (pos < 0 || pos >= count()) return;
    ++edits_;
    entries_.erase(entries_.begin() + pos);
    keys_.erase(keys_.begin() + pos);
    if (view_) view_->remove(pos);
}

void SortedList::clear() {
    ++edits_;
    entries_.clear();
    keys_.clear();
    if (view_) view_->clear();
}

const EntryKey& SortedList::key_at(int pos) const {
    auto& key = keys_.at(static_cast<std::size_t>(pos));
    if (!key) {
        const std::string title = entry_title(at(pos));
        key = EntryKey{TitleKey(text::title_key(title)), text::key_joins(title)};
    }
    return *key;
}

int SortedList::selected() const {
    return view_ ? view_->selected() : -1;
}

std::string make_entry(std::string_view title) {
    std::string entry;
    entry.reserve(title.size() + 2);
    entry += '[';
    entry += title;
    entry += ']';
    return entry;
}

std::string entry_title(std::string_view entry) {
    if (entry.size() < 2) return std::string();
    return std::string(entry.substr(1, entry.size() - 2));
}

}  // namespace vorlix::core
