// The file system on POSIX systems: plain system calls, errno's text in
// every error.
#pragma once

#include "platform/file_system.h"

namespace vorlix::adapters::posix {

class PosixFileSystem : public platform::FileSystem {
public:
    // A regular file, the link followed (reading through a link is harmless;
    // writing never goes through one).
    bool exists(const std::string& path) override;
    Result<std::string> read_all(const std::string& path) override;
    // O_EXCL | O_NOFOLLOW, mode 0644 less the umask.
    Result<std::unique_ptr<platform::WritableFile>> create_new(const std::string& path) override;
    // rename(), then the folder is flushed so that the new name survives a
    // crash.
    Status replace(const std::string& from, const std::string& to) override;
    Status remove(const std::string& path) override;
};

}  // namespace vorlix::adapters::posix
