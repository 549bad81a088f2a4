// The Autostart box and the registry routines behind it.
#include "program_fixture.h"

#include "autostart/module_registry.h"

namespace vorlix::test {
namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Autostart : public ProgramTest {
protected:
    void set_app(const std::string& folder, const std::string& exe, char sep,
                 const std::string& suffix) {
        platform::AppInfo app;
        app.path = folder;
        app.exe_name = exe;
        app.separator = sep;
        app.exe_suffix = suffix;
        toolkit.set_app_info(app);
    }
    std::optional<RegValue> stored() {
        return registry.get(platform::kHkeyCurrentUser, kRun, "Kelto_Vorlix");
    }
    void store(std::uint32_t type, std::string bytes) {
        registry.put(platform::kHkeyCurrentUser, kRun, "Kelto_Vorlix", type, std::move(bytes));
    }
};

TEST_F(Autostart, TickingWritesThePathAsTextWithItsNulInTheExactCallOrder) {
    set_app("C:\\Tools", "vorlix", '\\', ".exe");
    start();
    registry.clear_calls();
    panel()->click_autostart();
    EXPECT_EQ(registry.calls(), (Lines{"open 80000001 " + std::string(kRun) + " 0 3f key-in 0 -> 0",
                                       "set 1002 Kelto_Vorlix 1 size 20 -> 0", "close 1002 -> 0"}));
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->type, 1u);
    EXPECT_EQ(stored()->bytes, std::string("C:\\Tools\\vorlix.exe", 19) + '\0');
    EXPECT_EQ(registry.open_handles(), 0);
}

TEST_F(Autostart, UntickingDeletesAndIsQuietWhenNothingIsThere) {
    start();
    panel()->click_autostart();
    registry.clear_calls();
    panel()->click_autostart();
    EXPECT_FALSE(stored());
    ASSERT_EQ(registry.calls().size(), 3u);
    EXPECT_EQ(registry.calls()[1], "delete 1003 Kelto_Vorlix -> 0");
    panel()->click_autostart();
    // Removed by someone else while the box shows it ticked.
    autostart::Registry_Delete_Value(registry, platform::kHkeyCurrentUser, kRun, "Kelto_Vorlix");
    registry.clear_calls();
    panel()->click_autostart();
    EXPECT_EQ(registry.calls(), (Lines{"open 80000001 " + std::string(kRun) + " 0 3f key-in 0 -> 0",
                                       "delete 1006 Kelto_Vorlix -> 2", "close 1006 -> 0"}));
    EXPECT_TRUE(toolkit.message_boxes().empty());
    EXPECT_EQ(registry.open_handles(), 0);
}

TEST_F(Autostart, PathWithBlanksIsQuoted) {
    set_app("/home/me/my tools", "vorlix", '/', "");
    start();
    panel()->click_autostart();
    EXPECT_EQ(stored()->bytes, std::string("\"/home/me/my tools/vorlix\"") + '\0');
}

TEST_F(Autostart, LoadTicksTheBoxAndWritesThisCopysPath) {
    set_app("C:\\New", "renamed", '\\', ".exe");
    store(1, std::string("D:\\Old\\vorlix.exe") + '\0');
    start();
    EXPECT_EQ(panel()->autostart_value(), 1);
    EXPECT_EQ(stored()->bytes, std::string("C:\\New\\renamed.exe") + '\0');
    // Read with its NUL, the text is sized by the first query and fetched by
    // the second; then the click writes again.
    const auto& calls = registry.calls();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[0], "open 80000001 " + std::string(kRun) + " 0 3f key-in 0 -> 0");
    EXPECT_EQ(calls[1], "query 1001 Kelto_Vorlix null -> 0 type 1 size 18");
    EXPECT_EQ(calls[2], "query 1001 Kelto_Vorlix buf 18 -> 0 type 1 size 18");
    EXPECT_EQ(calls[3], "close 1001 -> 0");
    EXPECT_EQ(calls[4], "open 80000001 " + std::string(kRun) + " 0 3f key-in 0 -> 0");
    EXPECT_EQ(calls[5], "set 1002 Kelto_Vorlix 1 size 19 -> 0");
    EXPECT_EQ(calls[6], "close 1002 -> 0");
}

TEST_F(Autostart, WhatTheStoredValueMeans) {
    const struct {
        std::uint32_t type;
        std::string bytes;
        int ticked;
    } cases[] = {
        {1, "", 0},                            // zero bytes: empty text
        {1, std::string(1, '\0'), 1},          // only a NUL: one character
        {1, "x", 1},                           // written elsewhere without NUL
        {4, std::string("\x01\0\0\0", 4), 0},  // a number is not a path
        {3, "C:\\vorlix.exe", 0},              // another type
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        store(c.type, c.bytes);
        start();
        EXPECT_EQ(panel()->autostart_value(), c.ticked);
        if (!c.ticked) {
            EXPECT_EQ(stored()->bytes, c.bytes);  // left in place
        }
        program.reset();
    }
}

TEST_F(Autostart, MissingRunKeyWritesNothingAndFailsQuietly) {
    FakeRegistry empty;
    program =
        std::make_unique<app::Program>(platform::Services{toolkit, windows, empty, runner, files});
    program->start();
    EXPECT_EQ(panel()->autostart_value(), 0);
    EXPECT_EQ(empty.calls(), (Lines{"open 80000001 " + std::string(kRun) + " 0 3f key-in 0 -> 2",
                                    "query 0 Kelto_Vorlix null -> 6", "close 0 -> 6"}));
    empty.clear_calls();
    panel()->click_autostart();
    EXPECT_EQ(panel()->autostart_value(), 1);  // the box stays as the user set it
    EXPECT_EQ(empty.calls()[1], "set 0 Kelto_Vorlix 1 size 19 -> 6");
    EXPECT_EQ(empty.calls()[2], "close 0 -> 6");
}

TEST_F(Autostart, NumbersRoundTripThroughTheRoutines) {
    autostart::Registry_Write_Value(registry, platform::kHkeyCurrentUser, kRun, "n",
                                    std::uint32_t{0x01020304}, platform::kRegDword);
    EXPECT_EQ(registry.get(platform::kHkeyCurrentUser, kRun, "n")->bytes,
              std::string("\x04\x03\x02\x01", 4));
    const auto read =
        autostart::Registry_Read_Value(registry, platform::kHkeyCurrentUser, kRun, "n");
    ASSERT_TRUE(read);
    EXPECT_EQ(std::get<std::uint32_t>(*read), 0x01020304u);
    registry.clear_calls();
    autostart::Registry_Write_Value(registry, platform::kHkeyCurrentUser, kRun, "n",
                                    std::string("x"), platform::kRegBinary);
    EXPECT_EQ(registry.calls().size(), 2u);  // open and close: nothing to set
    EXPECT_EQ(registry.open_handles(), 0);
}

}  // namespace
}  // namespace vorlix::test
