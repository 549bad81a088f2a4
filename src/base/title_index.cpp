#include "base/title_index.h"

#include <algorithm>

namespace vorlix {

void TitleIndex::insert(Id id, std::string key, Rank rank) {
    remove(id);
    auto& list = by_key_[key];
    const auto at = std::lower_bound(list.begin(), list.end(), rank,
                                     [](const auto& other, Rank r) { return other.first < r; });
    list.emplace(at, rank, id);
    filed_.emplace(id, Filed{std::move(key), rank});
}

void TitleIndex::remove(Id id) {
    const auto known = filed_.find(id);
    if (known == filed_.end()) return;
    const auto entry = by_key_.find(known->second.key);
    std::erase(entry->second, std::pair{known->second.rank, id});
    if (entry->second.empty()) by_key_.erase(entry);
    filed_.erase(known);
}

void TitleIndex::clear() {
    filed_.clear();
    by_key_.clear();
}

TitleIndex::Id TitleIndex::find(const std::string& key) const {
    const auto it = by_key_.find(key);
    return it == by_key_.end() ? 0 : it->second.front().second;
}

const std::string* TitleIndex::key_of(Id id) const {
    const auto it = filed_.find(id);
    return it == filed_.end() ? nullptr : &it->second.key;
}

}  // namespace vorlix
