#include "core/scanner.h"

#include <algorithm>
#include <charconv>

#include "base/text.h"

namespace vorlix::core::scanner {

bool mentions_mozilla(std::string_view s) {
    return s.find("Mozilla") != std::string_view::npos;
}

int mozilla_count(const std::vector<std::string>& window_entries) {
    int n = 0;
    for (const auto& e : window_entries) {
        if (mentions_mozilla(e)) ++n;
    }
    return n;
}

std::string killed_status(double kill_count) {
    // Fixed notation with no decimals: a whole count prints as its digits,
    // however large it grows.
    char digits[400];
    const auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, kill_count, std::chars_format::fixed, 0);
    std::string status = "  Killed ";
    if (ec == std::errc()) status.append(digits, end);
    status += " popup";
    return status;
}

bool NameKeys::update(const std::vector<std::string>& names) {
    bool changed = names_.size() != names.size();
    names_.resize(std::min(names_.size(), names.size()));
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k < names_.size() && names_[k].name == names[k]) continue;
        changed = true;
        Name keyed{names[k], TitleKey(text::title_key(" - " + names[k]))};
        if (k < names_.size()) {
            names_[k] = std::move(keyed);
        } else {
            names_.push_back(std::move(keyed));
        }
    }
    return changed;
}

void TitleHashes::update(const SortedList& blacklist) {
    if (edits_ == blacklist.edits()) return;
    edits_ = blacklist.edits();
    by_hash_.clear();
    not_joining_.clear();
    for (int pos = 0; pos < blacklist.count(); ++pos) {
        const EntryKey& title = blacklist.key_at(pos);
        if (title.joins) {
            by_hash_.emplace_back(title.key.hash, pos);
        } else {
            not_joining_.push_back(pos);
        }
    }
    std::sort(by_hash_.begin(), by_hash_.end());
}

namespace {

// The pairs of a walk that need a look-up, read off the window system's
// index: a title and a name whose joined key the index holds, and every
// pair of a title whose key does not join. Every other pair is a miss
// until a window is filed, the blacklist changes or the event loop runs.
class Plan {
public:
    [[nodiscard]] bool stale(const TitleIndex& index, const SortedList& blacklist) const {
        return &index != index_ || index.insertions() != insertions_ || blacklist.edits() != edits_;
    }

    void take(const TitleIndex& index, const SortedList& blacklist, WalkKeys& keys) {
        keys.titles.update(blacklist);
        index_ = &index;
        insertions_ = index.insertions();
        edits_ = blacklist.edits();
        pairs_.clear();
        index.for_each_key([&](const std::string& key, TitleIndex::Id) {
            for (std::size_t k = 0; k < keys.names.size(); ++k) {
                const std::string& suffix = keys.names[k].suffix.text;
                if (!key.ends_with(suffix)) continue;
                const std::string_view head(key.data(), key.size() - suffix.size());
                keys.titles.for_each_at(TitleKey::hash_of(head), [&](int pos) {
                    if (blacklist.key_at(pos).key.text == head) pairs_.push_back(code(pos, k));
                });
            }
        });
        std::sort(pairs_.begin(), pairs_.end());
        not_joining_ = &keys.titles.not_joining();
        at_ = 0;
        at_not_joining_ = 0;
    }

    // Asked in walk order, which only moves forward.
    [[nodiscard]] bool needs(int pos, std::size_t k) {
        const std::uint64_t c = code(pos, k);
        while (at_ < pairs_.size() && pairs_[at_] < c) ++at_;
        if (at_ < pairs_.size() && pairs_[at_] == c) return true;
        const auto& nj = *not_joining_;
        while (at_not_joining_ < nj.size() && nj[at_not_joining_] < pos) ++at_not_joining_;
        return at_not_joining_ < nj.size() && nj[at_not_joining_] == pos;
    }

private:
    static std::uint64_t code(int pos, std::size_t k) {
        return static_cast<std::uint64_t>(pos) << 32 | static_cast<std::uint32_t>(k);
    }

    const TitleIndex* index_ = nullptr;
    std::uint64_t insertions_ = 0;
    std::uint64_t edits_ = 0;
    std::vector<std::uint64_t> pairs_;  // by code, ascending
    const std::vector<int>* not_joining_ = nullptr;
    std::size_t at_ = 0;
    std::size_t at_not_joining_ = 0;
};

}  // namespace

void walk(const SortedList& blacklist, const std::vector<std::string>& browser_names,
          int mozilla_count, double& kill_count, const Hooks& hooks, WalkKeys& keys) {
    keys.names.update(browser_names);
    const TitleIndex* index = hooks.title_index ? hooks.title_index() : nullptr;
    Plan plan;  // stale until taken
    bool names_changed = false;
    auto yield = [&] {
        // A pass may have filed windows: the index is brought up to date.
        if (hooks.yield && hooks.yield() && index != nullptr) index = hooks.title_index();
    };
    const int entries = blacklist.count();
    for (int pos = 0; pos < entries; ++pos) {
        const std::size_t names = browser_names.size();
        if (keys.names.size() != names)  // learned in a yield
            names_changed = keys.names.update(browser_names) || names_changed;
        for (std::size_t k = 0; k < names; ++k) {
            // A yield may have removed entries (or, in theory, names).
            if (pos >= blacklist.count() || k >= browser_names.size()) break;
            if (index != nullptr) {
                if (names_changed || plan.stale(*index, blacklist)) {
                    plan.take(*index, blacklist, keys);
                    names_changed = false;
                }
                if (!plan.needs(pos, k)) {
                    yield();
                    continue;
                }
            }
            const NameKeys::Name& keyed = keys.names[k];
            const std::string& name = keyed.name;
            const EntryKey& title = blacklist.key_at(pos);
            std::optional<platform::WindowId> keyed_found;
            if (hooks.find_keys && title.joins)
                keyed_found = hooks.find_keys(title.key, keyed.suffix);
            const platform::WindowId found =
                keyed_found ? *keyed_found
                            : hooks.find(entry_title(blacklist.at(pos)) + " - " + name);
            if (found != 0 && !(mozilla_count == 1 && mentions_mozilla(name)) &&
                hooks.post_close(found)) {
                kill_count += 1;
                if (hooks.killed) hooks.killed(kill_count);
            }
            yield();
        }
    }
}

}  // namespace vorlix::core::scanner
