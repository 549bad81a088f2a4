#pragma once

#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/file_system.h"

namespace vorlix::core {

// Replaces the file at `path` with `bytes` without ever leaving it half
// written: the bytes go to a new file beside it (created exclusively, never
// through a link), are made durable, and are moved over the old file in one
// step. On any failure the old file is untouched, the new one is removed,
// and the error names the step and the system's reason.
Status rewrite_file(platform::FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace vorlix::core
