// The five registry calls the autostart code makes, with Win32's argument
// conventions and return codes, so that the behaviour orders them exactly as
// it would against advapi32 and a stand-in can answer them elsewhere.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorlix::platform {

using RegKey = std::uint64_t;  // an HKEY value; 0 is no key

inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA: opens (never creates) `subkey` below `root`. `key` is
    // written only on success.
    virtual long open_key(RegKey root, std::string_view subkey, std::uint32_t options,
                          std::uint32_t sam_desired, RegKey& key) = 0;

    // RegSetValueExA: `data` holds exactly `size` bytes.
    virtual long set_value(RegKey key, std::string_view name, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size) = 0;

    // RegQueryValueExA: with `data` null only `type` and `size` are filled;
    // otherwise `size` is the buffer's size on entry and the bytes copied on
    // return (ERROR_MORE_DATA when the buffer is too small).
    virtual long query_value(RegKey key, std::string_view name, std::uint32_t& type,
                             std::uint8_t* data, std::uint32_t& size) = 0;

    // RegDeleteValueA.
    virtual long delete_value(RegKey key, std::string_view name) = 0;

    // RegCloseKey; accepts 0 and answers ERROR_INVALID_HANDLE.
    virtual long close_key(RegKey key) = 0;
};

}  // namespace vorlix::platform
