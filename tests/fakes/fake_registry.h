// A registry of keys and typed values held as raw bytes, answering with
// Win32's return codes. Keys and names ignore letter case, as Win32's do.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace vorlix::test {

struct RegValue {
    std::uint32_t type = 0;
    std::string bytes;  // raw, NULs included
};

class FakeRegistry final : public platform::Registry {
public:
    void add_key(platform::RegKey root, std::string_view subkey) { keys[key_of(root, subkey)]; }
    // The value, or nullopt when it (or its key) is not there.
    std::optional<RegValue> get(platform::RegKey root, std::string_view subkey,
                                std::string_view name);
    void put(platform::RegKey root, std::string_view subkey, std::string_view name, RegValue v);

    long open_key(platform::RegKey root, std::string_view subkey, std::uint32_t, std::uint32_t,
                  platform::RegKey& key) override;
    long set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override;
    long query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                     std::uint8_t* data, std::uint32_t& size) override;
    long delete_value(platform::RegKey key, std::string_view name) override;
    long close_key(platform::RegKey key) override;

    std::map<std::string, std::map<std::string, RegValue>> keys;  // by folded path and name
    std::map<platform::RegKey, std::string> handles;              // open ones

private:
    static std::string key_of(platform::RegKey root, std::string_view subkey);
    std::map<std::string, RegValue>* values_of(platform::RegKey key);
    platform::RegKey next_handle_ = 0x1001;
};

}  // namespace vorlix::test
