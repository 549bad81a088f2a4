#include "base/title_index.h"

#include <algorithm>
#include <bit>

namespace vorlix {
namespace {

// A polynomial hash modulo 2^64: hash(a + b) = hash(a) * kMul^|b| + hash(b).
constexpr std::uint64_t kMul = 0x100000001B3;

}  // namespace

TitleKey::TitleKey(std::string key) : text(std::move(key)), hash(hash_of(text)) {
    for (std::size_t i = 0; i < text.size(); ++i) scale *= kMul;
}

std::uint64_t TitleKey::hash_of(std::string_view key) {
    std::uint64_t h = 0;
    for (const char c : key) h = h * kMul + static_cast<unsigned char>(c);
    return h;
}

void TitleIndex::insert(Id id, std::string key, Rank rank) {
    if (const auto known = filed_.find(id);
        known != filed_.end() && known->second.rank == rank && known->second.key == key)
        return;  // filed so already
    ++insertions_;
    remove(id);
    const auto [entry, fresh] = by_key_.try_emplace(key);
    if (fresh) place(*entry);
    auto& list = entry->second;
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
    if (entry->second.empty()) {
        unplace(*entry);
        by_key_.erase(entry);
    }
    filed_.erase(known);
}

void TitleIndex::clear() {
    filed_.clear();
    by_key_.clear();
    slots_.clear();
}

TitleIndex::Id TitleIndex::find(const std::string& key) const {
    const auto it = by_key_.find(key);
    return it == by_key_.end() ? 0 : it->second.front().second;
}

TitleIndex::Id TitleIndex::find(const TitleKey& head, const TitleKey& tail) const {
    if (slots_.empty()) return 0;
    const std::uint64_t hash = head.hash * tail.scale + tail.hash;
    for (std::size_t i = home(hash); slots_[i].entry; i = (i + 1) & (slots_.size() - 1)) {
        // Equal hashes prove nothing: the key itself is compared.
        if (slots_[i].hash == hash && is_joined(slots_[i].entry->first, head, tail))
            return slots_[i].entry->second.front().second;
    }
    return 0;
}

const std::string* TitleIndex::key_of(Id id) const {
    const auto it = filed_.find(id);
    return it == filed_.end() ? nullptr : &it->second.key;
}

std::size_t TitleIndex::home(std::uint64_t hash) const {
    // The polynomial's low bits are its weakest: mix before masking.
    hash ^= hash >> 31;
    hash *= 0xBF58476D1CE4E5B9;
    return static_cast<std::size_t>(hash >> 32) & (slots_.size() - 1);
}

void TitleIndex::place(const ByKey::value_type& entry) {
    if (by_key_.size() * 2 > slots_.size()) {  // by_key_ holds `entry` already
        slots_.assign(std::max<std::size_t>(16, std::bit_ceil(by_key_.size() * 4)), Slot{});
        for (const auto& each : by_key_) {
            if (&each != &entry) place(each);
        }
    }
    const std::uint64_t hash = TitleKey::hash_of(entry.first);
    std::size_t i = home(hash);
    while (slots_[i].entry) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = {hash, &entry};
}

void TitleIndex::unplace(const ByKey::value_type& entry) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = home(TitleKey::hash_of(entry.first));
    while (slots_[hole].entry != &entry) hole = (hole + 1) & mask;
    // Linear probing without tombstones: each later entry of the run moves
    // into the hole unless that would put it before its home.
    for (std::size_t j = (hole + 1) & mask; slots_[j].entry; j = (j + 1) & mask) {
        if (((j - home(slots_[j].hash)) & mask) >= ((j - hole) & mask)) {
            slots_[hole] = slots_[j];
            hole = j;
        }
    }
    slots_[hole] = Slot{};
}

}  // namespace vorlix
