// The registry calls of the autostart code, one to one over advapi32's ANSI
// functions. The program's text is UTF-8; names and string data are turned
// into the ANSI code page on the way in (a character the code page lacks
// becomes '?': the names and paths used are ASCII in practice) and string
// data back into UTF-8 on the way out, so that the sizes the caller sees are
// those of the UTF-8 text.
#pragma once

#include "platform/registry.h"

namespace vorlix::adapters::win32 {

class Win32Registry final : public platform::Registry {
public:
    long open_key(platform::RegKey root, std::string_view subkey, std::uint32_t options,
                  std::uint32_t sam_desired, platform::RegKey& key) override;
    long set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override;
    long query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                     std::uint8_t* data, std::uint32_t& size) override;
    long delete_value(platform::RegKey key, std::string_view name) override;
    long close_key(platform::RegKey key) override;
};

}  // namespace vorlix::adapters::win32
