// The few file operations the data files need. Paths are in the platform's
// own form (the application folder, its separator, a file name). The safe
// whole-file rewrite (core/file_rewrite.h) is built on these primitives so
// that every step of it can fail in a test.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"

namespace vorlix::platform {

class WritableFile {
public:
    virtual ~WritableFile() = default;  // closes if still open, ignoring errors
    virtual Status write(std::string_view bytes) = 0;
    // Makes the written bytes durable (fsync, FlushFileBuffers).
    virtual Status sync() = 0;
    virtual Status close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True for a plain file (not a folder, not hidden, not a system file).
    virtual bool exists(const std::string& path) = 0;

    // The whole file as the program's text: the bytes unchanged where the
    // platform's text is UTF-8; elsewhere converted from the file's encoding
    // (a writable file converts back when it is flushed or closed).
    virtual Result<std::string> read_all(const std::string& path) = 0;

    // Creates a new file that must not exist yet; never follows a link.
    virtual Result<std::unique_ptr<WritableFile>> create_new(const std::string& path) = 0;

    // Moves `from` over `to` in one step, replacing `to` when it exists.
    virtual Status replace(const std::string& from, const std::string& to) = 0;

    virtual Status remove(const std::string& path) = 0;
};

}  // namespace vorlix::platform
