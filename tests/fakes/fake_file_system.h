// An in-memory file system for tests: files are byte strings, folders are
// names, and every operation can be made to fail for a given path, the way a
// locked file or a full disk would. Every call is recorded in order.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vorlix::test {

enum class FsOp { exists, read_all, create_new, write, sync, close, replace, remove };

std::string_view to_string(FsOp op);

struct FsCall {
    FsOp op;
    std::string path;  // for replace: the source; `to` holds the target
    std::string to;
    std::size_t bytes = 0;  // for write: how many bytes were handed over
    bool ok = true;

    // "write /app/Vorlix.dat.1f2e.tmp (6 bytes) failed", for failure messages.
    std::string describe() const;
};

class FakeFileSystem : public platform::FileSystem {
public:
    FakeFileSystem() = default;
    FakeFileSystem(const FakeFileSystem&) = delete;
    FakeFileSystem& operator=(const FakeFileSystem&) = delete;

    // --- Setting up the disk ---
    void add_file(const std::string& path, std::string bytes);
    void add_folder(const std::string& path);
    // A file that is there but that exists() does not report (hidden or
    // system attribute). It can still be read, replaced and removed.
    void add_hidden_file(const std::string& path, std::string bytes);

    // --- Failures ---
    // Makes `op` fail on `path` with `reason` as the system's text. A path
    // ending in '*' matches every path that starts with the rest, so "*"
    // alone matches all. `times` < 0 fails for ever, otherwise that many
    // matching calls fail and later ones succeed. For write, sync and close
    // the path is the written file's; for replace, the source's or target's.
    // An exists() failure makes it answer false.
    void fail(FsOp op, std::string path, std::string reason, int times = -1);
    // The disk fills up: writes to matching files store bytes until the file
    // holds `limit` bytes, then fail with "No space left on device".
    void fail_write_after(std::string path, std::size_t limit);
    void clear_failures();

    // Runs after each recorded call, with the call; lets a test change the
    // disk (or anything else) in the middle of a sequence.
    void on_call(std::function<void(const FsCall&)> hook) { hook_ = std::move(hook); }

    // --- Looking at the disk ---
    bool has_file(const std::string& path) const { return files_.count(path) != 0; }
    // The file's bytes whether hidden or not; nullopt when there is none.
    std::optional<std::string> file(const std::string& path) const;
    // Every file (hidden ones included), by path.
    const std::map<std::string, std::string>& files() const { return files_; }
    // Files whose writer has not closed them yet.
    int open_files() const { return open_files_; }

    const std::vector<FsCall>& calls() const { return calls_; }
    std::vector<FsCall> calls_of(FsOp op) const;
    void clear_calls() { calls_.clear(); }

    // --- platform::FileSystem ---
    bool exists(const std::string& path) override;
    Result<std::string> read_all(const std::string& path) override;
    Result<std::unique_ptr<platform::WritableFile>> create_new(const std::string& path) override;
    Status replace(const std::string& from, const std::string& to) override;
    Status remove(const std::string& path) override;

private:
    friend class FakeWritableFile;

    struct Failure {
        FsOp op;
        std::string path;
        std::string reason;
        int times;  // < 0: for ever
        std::optional<std::size_t> write_limit;
    };

    // The failure that applies to this call, used up by one when counted.
    const Failure* take_failure(FsOp op, const std::string& path,
                                const std::string& other = std::string());
    void record(FsCall call);
    Status file_write(const std::string& path, std::string_view bytes);
    Status file_step(FsOp op, const std::string& path);

    std::map<std::string, std::string> files_;
    std::set<std::string> folders_;
    std::set<std::string> hidden_;
    std::vector<Failure> failures_;
    std::vector<FsCall> calls_;
    std::function<void(const FsCall&)> hook_;
    int open_files_ = 0;
};

}  // namespace vorlix::test
