// An in-memory file system for tests: files are byte strings, and every
// operation can be made to fail for given paths, the way a locked file or a
// full disk would.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vorlix::test {

enum class FsOp { read_all, create_new, write, sync, close, replace, remove };

struct FsCall {
    FsOp op;
    std::string path;  // for write, sync and close the written file's
    std::string to;    // for replace: the target
};

class FakeFileSystem : public platform::FileSystem {
public:
    void add_file(const std::string& path, std::string bytes) { files[path] = std::move(bytes); }
    // Makes `op` fail with `reason` as the system's text, `times` times (for
    // ever when < 0), on paths that start with `prefix`.
    void fail(FsOp op, std::string prefix, std::string reason, int times = -1) {
        failures_.push_back({op, std::move(prefix), std::move(reason), times});
    }
    void clear_failures() { failures_.clear(); }
    long count(FsOp op) const;
    std::optional<std::string> file(const std::string& path) const;

    bool exists(const std::string& path) override;
    Result<std::string> read_all(const std::string& path) override;
    Result<std::unique_ptr<platform::WritableFile>> create_new(const std::string& path) override;
    Status replace(const std::string& from, const std::string& to) override;
    Status remove(const std::string& path) override;

    std::map<std::string, std::string> files;
    std::set<std::string> hidden;   // there, but exists() does not say so
    std::set<std::string> folders;  // a folder in a file's place
    std::vector<FsCall> calls;
    int open_files = 0;

private:
    friend class FakeWritableFile;
    struct Failure {
        FsOp op;
        std::string prefix;
        std::string reason;
        int times;
    };
    // Records the call; its error when a failure applies.
    Status call(FsOp op, const std::string& path, const std::string& to = {});

    std::vector<Failure> failures_;
};

}  // namespace vorlix::test
