// The Autostart box and the registry routines behind it.
#include <gtest/gtest.h>

#include "autostart/module_registry.h"
#include "program_fixture.h"
#include "support/contracts/registry_contract.h"

namespace vorlix::test {
namespace {

struct FakePlace {
    FakePlace() { reg.key(platform::kHkeyCurrentUser, autostart::kRunKey); }
    platform::Registry& registry() { return reg; }
    FakeRegistry reg;
};
INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, FakePlace);

TEST(RegistrationData, ThePathQuotedWhenItHoldsABlank) {
    const std::pair<platform::AppInfo, const char*> cases[] = {
        {{"C:\\Tools", "vorlix", '\\', ".exe"}, "C:\\Tools\\vorlix.exe"},
        {{"/opt/my programs", "vorlix", '/', ""}, "\"/opt/my programs/vorlix\""},
        {{"/opt/$(id);`id`&", "vorlix", '/', ""}, "/opt/$(id);`id`&/vorlix"},
    };
    for (const auto& [app, data] : cases) EXPECT_EQ(autostart::registration_data(app), data);
}

class Autostart : public ::testing::Test, public ProgramFixture {
protected:
    // Where a log-on reads it.
    std::optional<RegValue> stored() {
        return registry.get(platform::kHkeyCurrentUser,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kelto_Vorlix");
    }
    std::string this_copy() { return autostart::registration_data(toolkit.app) + '\0'; }
};

TEST_F(Autostart, TickingWritesThisCopysPathAsTextUntickingDeletesIt) {
    start();
    panel()->set_autostart_value(1);
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->type, platform::kRegSz);
    EXPECT_EQ(stored()->bytes, this_copy());
    panel()->set_autostart_value(0);
    EXPECT_FALSE(stored());
    EXPECT_TRUE(registry.handles.empty());
}

TEST_F(Autostart, WhatAStoredValueMeansAtLoad) {
    const std::pair<RegValue, int> cases[] = {
        {{platform::kRegSz, std::string("D:\\Old\\vorlix.exe\0", 18)}, 1},
        {{platform::kRegSz, ""}, 0},   // zero bytes: no text
        {{platform::kRegSz, "x"}, 1},  // written elsewhere without its NUL
        {{platform::kRegBinary, "C:\\vorlix.exe"}, 0},
    };
    for (const auto& [value, ticked] : cases) {
        registry.key(platform::kHkeyCurrentUser,
                     autostart::kRunKey)[text::fold_case(autostart::kValueName)] = value;
        start();
        EXPECT_EQ(panel()->autostart, ticked) << value.bytes;
        // A ticked box writes this copy's path again; anything else stays.
        EXPECT_EQ(stored()->bytes, ticked ? this_copy() : value.bytes);
    }
}

}  // namespace
}  // namespace vorlix::test
