// An in-memory file system for tests: files are byte strings, and every
// operation can be made to fail on given paths, as a locked file or a full
// disk would.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace vorlix::test {

enum class FsOp { read_all, create_new, write, sync, close, replace, remove };

struct FakeFileSystem : platform::FileSystem {
    void add_file(const std::string& path, std::string bytes) { files[path] = std::move(bytes); }
    // Makes `op` fail with `reason` as the system's text, `times` times (for
    // ever when < 0), on paths (the source of a replace) that start with `prefix`.
    void fail(FsOp op, std::string prefix, std::string reason, int times = -1) {
        failures_.push_back({op, std::move(prefix), std::move(reason), times});
    }
    long count(FsOp op) const { return calls.contains(op) ? calls.at(op) : 0; }
    std::optional<std::string> file(const std::string& path) const {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }

    bool exists(const std::string& path) override { return files.count(path) != 0; }
    Result<std::string> read_all(const std::string& path) override;
    Result<std::unique_ptr<platform::WritableFile>> create_new(const std::string& path) override;
    Status replace(const std::string& from, const std::string& to) override;
    Status remove(const std::string& path) override;

    // Records the call; the error of a failure that applies to it.
    Status call(FsOp op, const std::string& path);
    static Error error(const std::string& path, const char* reason) {
        return Error{path + ": " + reason};
    }

    std::map<std::string, std::string> files;
    std::map<FsOp, long> calls;  // how many of each
    int open_files = 0;

private:
    struct Failure {
        FsOp op;
        std::string prefix, reason;
        int times;
    };
    std::vector<Failure> failures_;
};

class FakeWritableFile : public platform::WritableFile {
public:
    FakeWritableFile(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
        ++fs_.open_files;
    }
    ~FakeWritableFile() override { (void)close(); }

    Status write(std::string_view bytes) override {
        if (!open_) return fs_.error(path_, "Bad file descriptor");
        Status st = fs_.call(FsOp::write, path_);
        // A file removed while open takes no more bytes, as on a real disk.
        if (auto it = fs_.files.find(path_); st && it != fs_.files.end()) it->second += bytes;
        return st;
    }
    Status sync() override {
        return open_ ? fs_.call(FsOp::sync, path_) : fs_.error(path_, "Bad file descriptor");
    }
    Status close() override {
        if (!open_) return fs_.error(path_, "Bad file descriptor");
        // Like close(2): the descriptor is gone even when closing reports an error.
        open_ = false;
        --fs_.open_files;
        return fs_.call(FsOp::close, path_);
    }

private:
    FakeFileSystem& fs_;
    std::string path_;
    bool open_ = true;
};

inline Status FakeFileSystem::call(FsOp op, const std::string& path) {
    ++calls[op];
    for (Failure& f : failures_) {
        if (f.op != op || f.times == 0) continue;
        if (path.rfind(f.prefix, 0) != 0) continue;
        if (f.times > 0) --f.times;
        return error(path, f.reason.c_str());
    }
    return {};
}

inline Result<std::string> FakeFileSystem::read_all(const std::string& path) {
    if (Status st = call(FsOp::read_all, path); !st) return st.error();
    if (!exists(path)) return error(path, "No such file or directory");
    return files[path];
}

inline Result<std::unique_ptr<platform::WritableFile>> FakeFileSystem::create_new(
    const std::string& path) {
    if (Status st = call(FsOp::create_new, path); !st) return st.error();
    if (exists(path)) return error(path, "File exists");
    files[path];
    return std::unique_ptr<platform::WritableFile>(new FakeWritableFile(*this, path));
}

inline Status FakeFileSystem::replace(const std::string& from, const std::string& to) {
    if (Status st = call(FsOp::replace, from); !st) return st;
    if (!exists(from)) return error(from, "No such file or directory");
    files[to] = std::move(files[from]);
    files.erase(from);
    return {};
}

inline Status FakeFileSystem::remove(const std::string& path) {
    if (Status st = call(FsOp::remove, path); !st) return st;
    if (files.erase(path) == 0) return error(path, "No such file or directory");
    return {};
}

}  // namespace vorlix::test
