// The three registry routines and their two helpers, in the exact call order
// of advapi32: open, one operation, close. None keeps a key open between
// calls and none reports a failure to its caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/registry.h"

namespace vorlix::autostart {

// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS
// | KEY_NOTIFY | KEY_CREATE_LINK
inline constexpr std::uint32_t kAccessMask = 0x3F;

// A value's data: text for REG_SZ (its terminating NUL, when stored, stays
// part of it), a number for REG_DWORD.
using RegData = std::variant<std::string, std::uint32_t>;

void Registry_Write_Value(platform::Registry& registry, platform::RegKey root,
                          std::string_view subkey, std::string_view name, const RegData& data,
                          std::uint32_t type);

// nullopt when the key or the value is missing, or either query fails.
[[nodiscard]] std::optional<RegData> Registry_Read_Value(platform::Registry& registry,
                                                         platform::RegKey root,
                                                         std::string_view subkey,
                                                         std::string_view name);

void Registry_Delete_Value(platform::Registry& registry, platform::RegKey root,
                           std::string_view subkey, std::string_view name);

// Writes REG_SZ (the text and a NUL, counted) or REG_DWORD (4 bytes); other
// types write nothing and give 0. Returns the call's code.
long Set_Value(platform::Registry& registry, platform::RegKey key, std::string_view name,
               std::uint32_t type, const RegData& data);

// Queries the size and type first, then the data. Returns the last call's
// code, or -1 for a type other than REG_SZ and REG_DWORD.
long Query_Value(platform::Registry& registry, platform::RegKey key, std::string_view name,
                 std::optional<RegData>& data);

}  // namespace vorlix::autostart
