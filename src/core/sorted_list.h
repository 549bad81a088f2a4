// A list box's entries kept in the program's one collation. The entries live
// here; an attached ListBoxView only mirrors them, so the two can never
// disagree and both platforms show the same order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/title_index.h"
#include "platform/toolkit.h"

namespace vorlix::core {

// An entry's title as the scan looks it up.
struct EntryKey {
    TitleKey key;       // of the title
    bool joins = true;  // text::key_joins(title)
};

class SortedList {
public:
    // Positions and counts are 16-bit signed numbers, so a list holds at most
    // this many entries on every platform, though Qt's and Win32's list boxes
    // would take more.
    static constexpr int kMaxEntries = 32767;

    SortedList() = default;
    SortedList(const SortedList&) = delete;
    SortedList& operator=(const SortedList&) = delete;

    // Mirrors the entries into `view` from now on (null detaches). The view
    // is filled with the current entries at once.
    void attach(platform::ListBoxView* view);

    // Inserts after every entry that compares equal (text::compare_ignore_case),
    // so equal entries keep their order of arrival. Returns the position, or
    // -1 when the list already holds kMaxEntries (nothing changes then).
    int add(std::string entry);

    // Adds many entries at once with the same result as adding them one by
    // one in order, but in O(n log n) and with one refill of the view.
    // Entries beyond kMaxEntries are not added; returns how many were.
    int add_all(std::vector<std::string> entries);

    void remove(int pos);  // a position outside the list removes nothing
    void clear();

    int count() const { return static_cast<int>(entries_.size()); }
    const std::string& at(int pos) const { return entries_.at(static_cast<std::size_t>(pos)); }
    const std::vector<std::string>& entries() const { return entries_; }
    // Keyed when first asked for after the entry arrived, so loading a long
    // list costs no more than before and a scan keys nothing twice.
    const EntryKey& key_at(int pos) const;

    // Moves with every change of the entries.
    std::uint64_t edits() const { return edits_; }

    // The view's selection; -1 without a view.
    int selected() const;

private:
    std::vector<std::string> entries_;
    mutable std::vector<std::optional<EntryKey>> keys_;  // beside entries_
    platform::ListBoxView* view_ = nullptr;
    std::uint64_t edits_ = 0;
};

// A blacklist row is "[" + title + "]"; the title is the row less its first
// and last character, whatever those are.
std::string make_entry(std::string_view title);
std::string entry_title(std::string_view entry);

}  // namespace vorlix::core
