#pragma once

#include <string_view>

namespace vorlix::platform {

// Opens an address in the user's browser through the platform's URL opener,
// never through a shell. Returns at once; failures are ignored by design.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual void open_url(std::string_view url) = 0;
};

}  // namespace vorlix::platform
