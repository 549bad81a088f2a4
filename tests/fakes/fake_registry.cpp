#include "fake_registry.h"

#include <cstring>

#include "base/text.h"

namespace vorlix::test {

std::string FakeRegistry::key_of(platform::RegKey root, std::string_view subkey) {
    return std::to_string(root) + "\\" + text::fold_case(subkey);
}

std::map<std::string, RegValue>* FakeRegistry::values_of(platform::RegKey key) {
    const auto open = handles.find(key);
    return open == handles.end() ? nullptr : &keys[open->second];
}

std::optional<RegValue> FakeRegistry::get(platform::RegKey root, std::string_view subkey,
                                          std::string_view name) {
    const auto key = keys.find(key_of(root, subkey));
    if (key == keys.end()) return std::nullopt;
    const auto value = key->second.find(text::fold_case(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

void FakeRegistry::put(platform::RegKey root, std::string_view subkey, std::string_view name,
                       RegValue v) {
    keys[key_of(root, subkey)][text::fold_case(name)] = std::move(v);
}

long FakeRegistry::open_key(platform::RegKey root, std::string_view subkey, std::uint32_t,
                            std::uint32_t, platform::RegKey& key) {
    if (keys.count(key_of(root, subkey)) == 0) return platform::kErrorFileNotFound;
    key = next_handle_++;
    handles[key] = key_of(root, subkey);
    return platform::kErrorSuccess;
}

long FakeRegistry::set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
    auto* values = values_of(key);
    if (values == nullptr) return platform::kErrorInvalidHandle;
    (*values)[text::fold_case(name)] = {type,
                                        std::string(reinterpret_cast<const char*>(data), size)};
    return platform::kErrorSuccess;
}

long FakeRegistry::query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                               std::uint8_t* data, std::uint32_t& size) {
    auto* values = values_of(key);
    if (values == nullptr) return platform::kErrorInvalidHandle;
    const auto value = values->find(text::fold_case(name));
    if (value == values->end()) return platform::kErrorFileNotFound;
    const auto& bytes = value->second.bytes;
    const bool fits = data == nullptr || size >= bytes.size();
    if (data != nullptr && fits) std::memcpy(data, bytes.data(), bytes.size());
    type = value->second.type;
    size = static_cast<std::uint32_t>(bytes.size());
    return fits ? platform::kErrorSuccess : platform::kErrorMoreData;
}

long FakeRegistry::delete_value(platform::RegKey key, std::string_view name) {
    auto* values = values_of(key);
    if (values == nullptr) return platform::kErrorInvalidHandle;
    return values->erase(text::fold_case(name)) ? platform::kErrorSuccess
                                                : platform::kErrorFileNotFound;
}

long FakeRegistry::close_key(platform::RegKey key) {
    return handles.erase(key) ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
}

}  // namespace vorlix::test
