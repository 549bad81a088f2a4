// A registry of keys and typed values held as raw bytes, answering with
// Win32's return codes. Keys and names ignore letter case, as Win32's do.
#pragma once

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "base/text.h"
#include "platform/registry.h"

namespace vorlix::test {

struct RegValue {
    std::uint32_t type = 0;
    std::string bytes;  // raw, NULs included
};

class FakeRegistry final : public platform::Registry {
public:
    using Values = std::map<std::string, RegValue>;  // by folded name
    // The values of a key, made when missing.
    Values& key(platform::RegKey root, std::string_view subkey) { return keys[path(root, subkey)]; }
    std::optional<RegValue> get(platform::RegKey root, std::string_view subkey,
                                std::string_view name) {
        return keys.count(path(root, subkey)) ? find(&key(root, subkey), name) : std::nullopt;
    }

    long open_key(platform::RegKey root, std::string_view subkey, std::uint32_t, std::uint32_t,
                  platform::RegKey& handle) override {
        if (keys.count(path(root, subkey)) == 0) return platform::kErrorFileNotFound;
        handles[handle = next_handle_++] = &key(root, subkey);
        return platform::kErrorSuccess;
    }
    long set_value(platform::RegKey handle, std::string_view name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override {
        if (!handles.count(handle)) return platform::kErrorInvalidHandle;
        (*handles[handle])[text::fold_case(name)] = {
            type, std::string(reinterpret_cast<const char*>(data), size)};
        return platform::kErrorSuccess;
    }
    long query_value(platform::RegKey handle, std::string_view name, std::uint32_t& type,
                     std::uint8_t* data, std::uint32_t& size) override {
        if (!handles.count(handle)) return platform::kErrorInvalidHandle;
        const auto value = find(handles[handle], name);
        if (!value) return platform::kErrorFileNotFound;
        const bool fits = data == nullptr || size >= value->bytes.size();
        if (data != nullptr && fits) std::memcpy(data, value->bytes.data(), value->bytes.size());
        type = value->type;
        size = static_cast<std::uint32_t>(value->bytes.size());
        return fits ? platform::kErrorSuccess : platform::kErrorMoreData;
    }
    long delete_value(platform::RegKey handle, std::string_view name) override {
        if (!handles.count(handle)) return platform::kErrorInvalidHandle;
        return handles[handle]->erase(text::fold_case(name)) ? platform::kErrorSuccess
                                                             : platform::kErrorFileNotFound;
    }
    long close_key(platform::RegKey handle) override {
        return handles.erase(handle) ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
    }

    std::map<std::string, Values> keys;           // by folded path
    std::map<platform::RegKey, Values*> handles;  // open ones

private:
    static std::string path(platform::RegKey root, std::string_view subkey) {
        return std::to_string(root) + "\\" + text::fold_case(subkey);
    }
    static std::optional<RegValue> find(const Values* values, std::string_view name) {
        const auto it = values->find(text::fold_case(name));
        return it == values->end() ? std::nullopt : std::optional<RegValue>(it->second);
    }
    platform::RegKey next_handle_ = 0x1001;
};

}  // namespace vorlix::test
