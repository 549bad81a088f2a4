#include "autostart/module_registry.h"

#include <vector>

#include "core/number.h"

namespace vorlix::autostart {
namespace {

std::string as_text(const RegData& data) {
    if (const auto* text = std::get_if<std::string>(&data)) return *text;
    return std::to_string(std::get<std::uint32_t>(data));
}

std::uint32_t as_number(const RegData& data) {
    if (const auto* n = std::get_if<std::uint32_t>(&data)) return *n;
    const auto rounded =
        core::number::round_half_even(core::number::read_lenient(std::get<std::string>(data)));
    return rounded ? static_cast<std::uint32_t>(*rounded) : 0;
}

}  // namespace

void Registry_Write_Value(platform::Registry& registry, platform::RegKey root,
                          std::string_view subkey, std::string_view name, const RegData& data,
                          std::uint32_t type) {
    platform::RegKey key = 0;
    registry.open_key(root, subkey, 0, kAccessMask, key);
    Set_Value(registry, key, name, type, data);
    registry.close_key(key);
}

std::optional<RegData> Registry_Read_Value(platform::Registry& registry, platform::RegKey root,
                                           std::string_view subkey, std::string_view name) {
    platform::RegKey key = 0;
    registry.open_key(root, subkey, 0, kAccessMask, key);
    std::optional<RegData> data;
    Query_Value(registry, key, name, data);
    registry.close_key(key);
    return data;
}

void Registry_Delete_Value(platform::Registry& registry, platform::RegKey root,
                           std::string_view subkey, std::string_view name) {
    platform::RegKey key = 0;
    registry.open_key(root, subkey, 0, kAccessMask, key);
    registry.delete_value(key, name);
    registry.close_key(key);
}

long Set_Value(platform::Registry& registry, platform::RegKey key, std::string_view name,
               std::uint32_t type, const RegData& data) {
    if (type == platform::kRegSz) {
        const std::string text = as_text(data);
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        return registry.set_value(key, name, type, bytes.data(),
                                  static_cast<std::uint32_t>(bytes.size()));
    }
    if (type == platform::kRegDword) {
        const std::uint32_t n = as_number(data);
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        return registry.set_value(key, name, type, bytes, 4);
    }
    return 0;
}

long Query_Value(platform::Registry& registry, platform::RegKey key, std::string_view name,
                 std::optional<RegData>& data) {
    data.reset();
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const long first = registry.query_value(key, name, type, nullptr, size);
    if (first != platform::kErrorSuccess) return first;

    if (type == platform::kRegSz) {
        std::vector<std::uint8_t> buffer(size, 0);
        // A zero-sized value still needs a non-null buffer to be a data query.
        std::uint8_t none = 0;
        std::uint8_t* into = buffer.empty() ? &none : buffer.data();
        const long second = registry.query_value(key, name, type, into, size);
        if (second == platform::kErrorSuccess) {
            data = std::string(reinterpret_cast<const char*>(into), size);
        }
        return second;
    }
    if (type == platform::kRegDword) {
        // The buffer is the integer itself, whatever size the first call
        // reported: a longer value answers ERROR_MORE_DATA instead of
        // overrunning it.
        std::uint8_t bytes[4] = {0, 0, 0, 0};
        std::uint32_t dword_size = sizeof bytes;
        const long second = registry.query_value(key, name, type, bytes, dword_size);
        if (second == platform::kErrorSuccess) {
            std::uint32_t n = 0;
            for (std::uint32_t i = 0; i < dword_size && i < 4; ++i) {
                n |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
            }
            data = n;
        }
        return second;
    }
    return -1;
}

}  // namespace vorlix::autostart
