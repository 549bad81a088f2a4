// Opens nothing: which address the site label opens is proven end to end
// (tests/a11y) and by the xdg-open runner's own test.
#pragma once

#include "platform/command_runner.h"

namespace vorlix::test {

struct FakeCommandRunner final : platform::CommandRunner {
    void open_url(std::string_view) override {}
};

}  // namespace vorlix::test
