// Opens addresses with xdg-open, the freedesktop way to reach the user's
// preferred browser.
#pragma once

#include <string>

#include "platform/command_runner.h"

namespace vorlix::adapters::xdg {

class XdgOpenRunner : public platform::CommandRunner {
public:
    // `program` is looked up on PATH; tests point it elsewhere.
    explicit XdgOpenRunner(std::string program = "xdg-open");
    void open_url(std::string_view url) override;

private:
    std::string program_;
};

}  // namespace vorlix::adapters::xdg
