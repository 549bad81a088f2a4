// Opens an address with the shell's handler for it, minimised, not waited for.
#pragma once

#include "platform/command_runner.h"

namespace vorlix::adapters::win32 {

class Win32CommandRunner final : public platform::CommandRunner {
public:
    void open_url(std::string_view url) override;
};

}  // namespace vorlix::adapters::win32
