// A registry of keys and typed values held as raw bytes, answering with
// Win32's return codes, that records every call with its arguments.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace vorlix::test {

struct RegValue {
    std::uint32_t type = 0;
    std::string bytes;  // raw, NULs included
};

class FakeRegistry final : public platform::Registry {
public:
    // Keys and names compare without regard to letter case, as Win32's do.
    void add_key(platform::RegKey root, std::string_view subkey);
    void put(platform::RegKey root, std::string_view subkey, std::string_view name,
             std::uint32_t type, std::string bytes);
    std::optional<RegValue> get(platform::RegKey root, std::string_view subkey,
                                std::string_view name) const;

    // One line per call, e.g. "open 80000001 Software\...\Run 0 3f -> 0 key 1001",
    // "set 1001 Kelto_Vorlix 1 size 12 -> 0", "query 1001 Kelto_Vorlix null 0 -> 0 type 1 size 12",
    // "query 1001 Kelto_Vorlix buf 12 -> 0 size 12", "delete 1001 Kelto_Vorlix -> 0",
    // "close 1001 -> 0".
    const std::vector<std::string>& calls() const { return calls_; }
    void clear_calls() { calls_.clear(); }
    // The bytes of every set_value call, in order.
    const std::vector<std::string>& written() const { return written_; }
    int open_handles() const { return static_cast<int>(handles_.size()); }

    // platform::Registry
    long open_key(platform::RegKey root, std::string_view subkey, std::uint32_t options,
                  std::uint32_t sam_desired, platform::RegKey& key) override;
    long set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override;
    long query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                     std::uint8_t* data, std::uint32_t& size) override;
    long delete_value(platform::RegKey key, std::string_view name) override;
    long close_key(platform::RegKey key) override;

private:
    using Values = std::map<std::string, RegValue>;  // by folded name
    static std::string key_of(platform::RegKey root, std::string_view subkey);
    Values* values_of(platform::RegKey handle);

    std::map<std::string, Values> keys_;               // by folded root + path
    std::map<platform::RegKey, std::string> handles_;  // open handle -> key
    platform::RegKey next_handle_ = 0x1001;
    std::vector<std::string> calls_;
    std::vector<std::string> written_;
};

}  // namespace vorlix::test
