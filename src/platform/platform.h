// Everything the behaviour needs from the system, in one bundle. Each
// platform's main composes its adapters into one; tests build theirs from
// fakes.
#pragma once

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

}  // namespace vorlix::platform
