#include "fake_registry.h"

#include <sstream>

#include "base/text.h"

namespace vorlix::test {
namespace {

std::string hex(std::uint64_t n) {
    std::ostringstream out;
    out << std::hex << n;
    return out.str();
}

std::string folded(std::string_view s) {
    return text::fold_case(s);
}

}  // namespace

std::string FakeRegistry::key_of(platform::RegKey root, std::string_view subkey) {
    return hex(root) + "\\" + folded(subkey);
}

void FakeRegistry::add_key(platform::RegKey root, std::string_view subkey) {
    keys_[key_of(root, subkey)];
}

void FakeRegistry::put(platform::RegKey root, std::string_view subkey, std::string_view name,
                       std::uint32_t type, std::string bytes) {
    keys_[key_of(root, subkey)][folded(name)] = {type, std::move(bytes)};
}

std::optional<RegValue> FakeRegistry::get(platform::RegKey root, std::string_view subkey,
                                          std::string_view name) const {
    const auto key = keys_.find(key_of(root, subkey));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.find(folded(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

FakeRegistry::Values* FakeRegistry::values_of(platform::RegKey handle) {
    const auto open = handles_.find(handle);
    if (open == handles_.end()) return nullptr;
    const auto key = keys_.find(open->second);
    return key == keys_.end() ? nullptr : &key->second;
}

long FakeRegistry::open_key(platform::RegKey root, std::string_view subkey, std::uint32_t options,
                            std::uint32_t sam_desired, platform::RegKey& key) {
    std::string call = "open " + hex(root) + " " + std::string(subkey) + " " +
                       std::to_string(options) + " " + hex(sam_desired) + " key-in " + hex(key);
    long rc = platform::kErrorFileNotFound;
    const std::string path = key_of(root, subkey);
    if (keys_.count(path) != 0) {
        key = next_handle_++;
        handles_[key] = path;
        rc = platform::kErrorSuccess;
    }
    calls_.push_back(call + " -> " + std::to_string(rc));
    return rc;
}

long FakeRegistry::set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    written_.push_back(bytes);
    long rc = platform::kErrorInvalidHandle;
    if (Values* values = values_of(key)) {
        (*values)[folded(name)] = {type, std::move(bytes)};
        rc = platform::kErrorSuccess;
    }
    calls_.push_back("set " + hex(key) + " " + std::string(name) + " " + std::to_string(type) +
                     " size " + std::to_string(size) + " -> " + std::to_string(rc));
    return rc;
}

long FakeRegistry::query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                               std::uint8_t* data, std::uint32_t& size) {
    std::string call = "query " + hex(key) + " " + std::string(name) + " " +
                       (data ? "buf " + std::to_string(size) : std::string("null"));
    long rc = platform::kErrorInvalidHandle;
    if (Values* values = values_of(key)) {
        const auto value = values->find(folded(name));
        if (value == values->end()) {
            rc = platform::kErrorFileNotFound;
        } else {
            const auto stored = static_cast<std::uint32_t>(value->second.bytes.size());
            type = value->second.type;
            if (data != nullptr && size < stored) {
                rc = platform::kErrorMoreData;
            } else {
                if (data != nullptr) {
                    for (std::uint32_t i = 0; i < stored; ++i) {
                        data[i] = static_cast<std::uint8_t>(value->second.bytes[i]);
                    }
                }
                rc = platform::kErrorSuccess;
            }
            size = stored;
        }
    }
    calls_.push_back(call + " -> " + std::to_string(rc) +
                     (rc == platform::kErrorSuccess
                          ? " type " + std::to_string(type) + " size " + std::to_string(size)
                          : std::string()));
    return rc;
}

long FakeRegistry::delete_value(platform::RegKey key, std::string_view name) {
    long rc = platform::kErrorInvalidHandle;
    if (Values* values = values_of(key)) {
        rc = values->erase(folded(name)) != 0 ? platform::kErrorSuccess
                                              : platform::kErrorFileNotFound;
    }
    calls_.push_back("delete " + hex(key) + " " + std::string(name) + " -> " + std::to_string(rc));
    return rc;
}

long FakeRegistry::close_key(platform::RegKey key) {
    const long rc =
        handles_.erase(key) != 0 ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
    calls_.push_back("close " + hex(key) + " -> " + std::to_string(rc));
    return rc;
}

}  // namespace vorlix::test
