// Everything the behaviour needs from the system, in one bundle. Each build
// links exactly one implementation of make_platform() (Qt + X11 + XDG on
// Linux, Win32 on Windows); tests build their own bundle from fakes.
#pragma once

#include <memory>

#include "platform/command_runner.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/toolkit.h"
#include "platform/window_system.h"

namespace vorlix::platform {

struct Services {
    Toolkit& toolkit;
    WindowSystem& windows;
    Registry& registry;
    CommandRunner& runner;
    FileSystem& files;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual Services services() = 0;
};

// Builds the real platform for this build. argc/argv go to the toolkit only;
// the program itself takes no command line.
std::unique_ptr<Platform> make_platform(int& argc, char** argv);

}  // namespace vorlix::platform
