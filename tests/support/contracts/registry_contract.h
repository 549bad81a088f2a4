// What every Registry promises about the autostart value, for the fake and
// each real adapter alike. Instantiate with a type that has
// `platform::Registry& registry()` whose Run key exists without the value:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Xdg, RegistryContract, XdgPlace);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "autostart/autostart.h"
#include "platform/registry.h"

namespace vorlix::test {

template <class Place>
class RegistryContract : public ::testing::Test {
protected:
    platform::RegKey open_run() {
        platform::RegKey key = 0;
        EXPECT_EQ(reg().open_key(platform::kHkeyCurrentUser, autostart::kRunKey, 0, 0x3F, key), 0);
        return key;
    }
    long set(platform::RegKey key, const std::string& bytes) {
        return reg().set_value(key, autostart::kValueName, platform::kRegSz,
                               reinterpret_cast<const std::uint8_t*>(bytes.data()),
                               static_cast<std::uint32_t>(bytes.size()));
    }
    // The call's code, and the data through `into` when it has room.
    long query(platform::RegKey key, std::string_view name, std::string* into,
               std::uint32_t& size) {
        std::uint32_t type = 0;
        const long rc = reg().query_value(
            key, name, type, into ? reinterpret_cast<std::uint8_t*>(into->data()) : nullptr, size);
        EXPECT_TRUE(rc != platform::kErrorSuccess || type == platform::kRegSz) << type;
        return rc;
    }
    platform::Registry& reg() { return place.registry(); }
    Place place;
};

TYPED_TEST_SUITE_P(RegistryContract);

TYPED_TEST_P(RegistryContract, OnlyExistingKeysOpenAndTextReadsBackSizedFirstInAnyCase) {
    platform::RegKey key = 0;
    EXPECT_EQ(
        this->reg().open_key(platform::kHkeyCurrentUser, "Software\\No such key", 0, 0x3F, key),
        platform::kErrorFileNotFound);
    key = this->open_run();
    const std::string data("\"/opt/my tools/vorlix\"\0", 23);
    ASSERT_EQ(this->set(key, data), platform::kErrorSuccess);
    std::uint32_t size = 0;
    ASSERT_EQ(this->query(key, "KELTO_VORLIX", nullptr, size), platform::kErrorSuccess);
    EXPECT_EQ(size, data.size());
    std::string read(size, '\0');
    size = 4;
    EXPECT_EQ(this->query(key, autostart::kValueName, &read, size), platform::kErrorMoreData);
    EXPECT_EQ(size, data.size());
    ASSERT_EQ(this->query(key, autostart::kValueName, &read, size), platform::kErrorSuccess);
    EXPECT_EQ(read, data);
    EXPECT_EQ(this->reg().close_key(key), platform::kErrorSuccess);
}

TYPED_TEST_P(RegistryContract, ADeletedValueIsNotFound) {
    const platform::RegKey key = this->open_run();
    std::uint32_t size = 0;
    EXPECT_EQ(this->query(key, autostart::kValueName, nullptr, size), platform::kErrorFileNotFound);
    ASSERT_EQ(this->set(key, std::string("/v\0", 3)), platform::kErrorSuccess);
    EXPECT_EQ(this->reg().delete_value(key, autostart::kValueName), platform::kErrorSuccess);
    EXPECT_EQ(this->reg().delete_value(key, autostart::kValueName), platform::kErrorFileNotFound);
    EXPECT_EQ(this->query(key, autostart::kValueName, nullptr, size), platform::kErrorFileNotFound);
    EXPECT_EQ(this->reg().close_key(key), platform::kErrorSuccess);
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract,
                            OnlyExistingKeysOpenAndTextReadsBackSizedFirstInAnyCase,
                            ADeletedValueIsNotFound);

}  // namespace vorlix::test
