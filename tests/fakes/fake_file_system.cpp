#include "fake_file_system.h"

#include <algorithm>
#include <utility>

namespace vorlix::test {
namespace {

Error error(const std::string& path, const std::string& reason) {
    return Error{path + ": " + reason};
}

}  // namespace

class FakeWritableFile : public platform::WritableFile {
public:
    FakeWritableFile(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
        ++fs_.open_files;
    }
    ~FakeWritableFile() override { (void)close(); }

    Status write(std::string_view bytes) override {
        if (!open_) return error(path_, "Bad file descriptor");
        Status st = fs_.call(FsOp::write, path_);
        // A file removed while open takes no more bytes, as on a real disk.
        if (auto it = fs_.files.find(path_); st && it != fs_.files.end()) it->second += bytes;
        return st;
    }
    Status sync() override {
        return open_ ? fs_.call(FsOp::sync, path_) : error(path_, "Bad file descriptor");
    }
    Status close() override {
        if (!open_) return error(path_, "Bad file descriptor");
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

long FakeFileSystem::count(FsOp op) const {
    return std::count_if(calls.begin(), calls.end(), [op](const FsCall& c) { return c.op == op; });
}

std::optional<std::string> FakeFileSystem::file(const std::string& path) const {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
}

Status FakeFileSystem::call(FsOp op, const std::string& path, const std::string& to) {
    calls.push_back({op, path, to});
    for (Failure& f : failures_) {
        if (f.op != op || f.times == 0) continue;
        if (path.rfind(f.prefix, 0) != 0 && (to.empty() || to.rfind(f.prefix, 0) != 0)) continue;
        if (f.times > 0) --f.times;
        return error(path, f.reason);
    }
    return {};
}

bool FakeFileSystem::exists(const std::string& path) {
    return files.count(path) != 0 && hidden.count(path) == 0;
}

Result<std::string> FakeFileSystem::read_all(const std::string& path) {
    if (Status st = call(FsOp::read_all, path); !st) return st.error();
    if (folders.count(path) != 0) return error(path, "Is a directory");
    if (files.count(path) == 0) return error(path, "No such file or directory");
    return files[path];
}

Result<std::unique_ptr<platform::WritableFile>> FakeFileSystem::create_new(
    const std::string& path) {
    if (Status st = call(FsOp::create_new, path); !st) return st.error();
    if (files.count(path) != 0 || folders.count(path) != 0) return error(path, "File exists");
    files[path];
    return std::unique_ptr<platform::WritableFile>(new FakeWritableFile(*this, path));
}

Status FakeFileSystem::replace(const std::string& from, const std::string& to) {
    if (Status st = call(FsOp::replace, from, to); !st) return st;
    if (files.count(from) == 0) return error(from, "No such file or directory");
    if (folders.count(to) != 0) return error(to, "Is a directory");
    files[to] = std::move(files[from]);
    files.erase(from);
    hidden.erase(to);
    return {};
}

Status FakeFileSystem::remove(const std::string& path) {
    if (Status st = call(FsOp::remove, path); !st) return st;
    if (files.erase(path) == 0) return error(path, "No such file or directory");
    return {};
}

}  // namespace vorlix::test
