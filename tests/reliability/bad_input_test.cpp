// Data files that are odd, huge, junk or unreadable, in a real folder:
// start-up finishes, shows what it could read, and writes back exactly that.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "adapters/posix/posix_file_system.h"
#include "program_fixture.h"
#include "support/support.h"

namespace vorlix::test {
namespace {

using BadInput = std::pair<const char*, std::string>;  // a name, the bytes

std::string junk() {
    std::mt19937 gen(20061104u);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(gen());
    return bytes;
}

class BadInputFiles : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputFiles, WhatStartUpShowsIsWhatAnEditWrites) {
    TempDir dir;
    adapters::posix::PosixFileSystem fs;
    for (const char* file : {"Vorlix.dat", "Vorlix_BrowserName.dat", "Vorlix.cfg"}) {
        ASSERT_TRUE(write_file(dir.file(file), GetParam().second));
    }
    ProgramFixture w(&fs, dir.path().string());
    w.start();
    w.add_title("after");
    w.windows.add("Page - Mozilla Reliable");
    w.refresh();  // the timer may be silent: the file's interval can be 0
    EXPECT_EQ(read_file(dir.file("Vorlix.dat")), w.shown_blacklist_bytes());
    EXPECT_EQ(read_file(dir.file("Vorlix_BrowserName.dat")),
              core::lines::join(w.state().browser_names));
    EXPECT_EQ(read_file(dir.file("Vorlix.cfg")), GetParam().second) << "never written";
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadInputFiles,
    ::testing::Values(BadInput{"empty", ""}, BadInput{"only_CR", std::string(1000, '\r')},
                      BadInput{"only_LF", std::string(1000, '\n')},
                      BadInput{"NUL_bytes", std::string("a\0b\r\n\0\r\n\0\0", 9)},
                      BadInput{"invalid_UTF8", "\xff\xfe\r\n\xc3\x28\r\n\xed\xa0\x80"},
                      BadInput{"10_MB_line", std::string(10 << 20, 'x')},
                      BadInput{"binary_junk", junk()}),
    [](const auto& p) { return std::string(p.param.first); });

}  // namespace
}  // namespace vorlix::test
