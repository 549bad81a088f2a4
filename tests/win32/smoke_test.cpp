#include <gtest/gtest.h>
#include <windows.h>

TEST(Smoke, RunsUnderWindows) {
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
}
