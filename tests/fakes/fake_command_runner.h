// Records the addresses the program asks to open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/command_runner.h"

namespace vorlix::test {

struct FakeCommandRunner final : platform::CommandRunner {
    void open_url(std::string_view url) override { opened_.emplace_back(url); }
    const std::vector<std::string>& opened() const { return opened_; }
    std::vector<std::string> opened_;
};

}  // namespace vorlix::test
