#include "adapters/win32/win32_registry.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "adapters/win32/win32_text.h"

namespace vorlix::adapters::win32 {

namespace {

// The predefined roots are 32-bit values that Windows sign-extends into a
// 64-bit HKEY (HKEY_CURRENT_USER is 0xFFFFFFFF80000001 there).
HKEY to_hkey(platform::RegKey key) {
    if ((key >> 32) == 0 && (key & 0x80000000u) != 0) {
        return reinterpret_cast<HKEY>(
            static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

platform::RegKey to_regkey(HKEY h) {
    return static_cast<platform::RegKey>(reinterpret_cast<std::uintptr_t>(h));
}

bool is_text(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

long Win32Registry::open_key(platform::RegKey root, std::string_view subkey, std::uint32_t options,
                             std::uint32_t sam_desired, platform::RegKey& key) {
    HKEY opened = nullptr;
    const LONG rc =
        RegOpenKeyExA(to_hkey(root), to_ansi_lossy(subkey).c_str(), options, sam_desired, &opened);
    if (rc == ERROR_SUCCESS) key = to_regkey(opened);
    return rc;
}

long Win32Registry::set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
    const std::string ansi_name = to_ansi_lossy(name);
    if (is_text(type) && data != nullptr) {
        // Each NUL stays where it is: only the text between them changes.
        const std::string ansi =
            to_ansi_lossy(std::string_view(reinterpret_cast<const char*>(data), size));
        return RegSetValueExA(to_hkey(key), ansi_name.c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(ansi.data()),
                              static_cast<DWORD>(ansi.size()));
    }
    return RegSetValueExA(to_hkey(key), ansi_name.c_str(), 0, type, data, size);
}

long Win32Registry::query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                                std::uint8_t* data, std::uint32_t& size) {
    const std::string ansi_name = to_ansi_lossy(name);
    const HKEY h = to_hkey(key);
    DWORD value_type = 0;
    DWORD value_size = 0;
    LONG rc = RegQueryValueExA(h, ansi_name.c_str(), nullptr, &value_type, nullptr, &value_size);
    if (rc != ERROR_SUCCESS) return rc;
    type = value_type;
    if (!is_text(value_type)) {
        if (data == nullptr) {
            size = value_size;
            return rc;
        }
        DWORD n = size;
        rc = RegQueryValueExA(h, ansi_name.c_str(), nullptr, &value_type, data, &n);
        type = value_type;
        size = n;
        return rc;
    }
    // Text is read whole and converted, so that both calls of the caller see
    // the size of the UTF-8 text.
    std::vector<BYTE> ansi;
    for (int attempt = 0; attempt < 4; ++attempt) {
        ansi.resize(value_size);
        DWORD n = value_size;
        rc = RegQueryValueExA(h, ansi_name.c_str(), nullptr, &value_type, ansi.data(), &n);
        if (rc == ERROR_MORE_DATA) {
            value_size = n > value_size ? n : value_size * 2 + 16;
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        ansi.resize(n);
        break;
    }
    if (rc != ERROR_SUCCESS) return rc;
    type = value_type;
    const std::string utf8 =
        from_ansi(std::string_view(reinterpret_cast<const char*>(ansi.data()), ansi.size()));
    const auto needed = static_cast<std::uint32_t>(utf8.size());
    if (data == nullptr) {
        size = needed;
        return ERROR_SUCCESS;
    }
    if (size < needed) {
        size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, utf8.data(), utf8.size());
    size = needed;
    return ERROR_SUCCESS;
}

long Win32Registry::delete_value(platform::RegKey key, std::string_view name) {
    return RegDeleteValueA(to_hkey(key), to_ansi_lossy(name).c_str());
}

long Win32Registry::close_key(platform::RegKey key) {
    if (key == 0) return ERROR_INVALID_HANDLE;
    return RegCloseKey(to_hkey(key));
}

}  // namespace vorlix::adapters::win32
