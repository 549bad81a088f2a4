#include "fake_file_system.h"

#include <utility>

namespace vorlix::test {

std::string_view to_string(FsOp op) {
    switch (op) {
        case FsOp::exists:
            return "exists";
        case FsOp::read_all:
            return "read_all";
        case FsOp::create_new:
            return "create_new";
        case FsOp::write:
            return "write";
        case FsOp::sync:
            return "sync";
        case FsOp::close:
            return "close";
        case FsOp::replace:
            return "replace";
        case FsOp::remove:
            return "remove";
    }
    return "?";
}

std::string FsCall::describe() const {
    std::string s(to_string(op));
    s += ' ';
    s += path;
    if (op == FsOp::replace) s += " -> " + to;
    if (op == FsOp::write) s += " (" + std::to_string(bytes) + " bytes)";
    if (!ok) s += " failed";
    return s;
}

namespace {

bool matches(const std::string& pattern, const std::string& path) {
    if (!pattern.empty() && pattern.back() == '*') {
        return path.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    }
    return pattern == path;
}

Error error(const std::string& path, const std::string& reason) {
    return Error{path + ": " + reason};
}

}  // namespace

class FakeWritableFile : public platform::WritableFile {
public:
    FakeWritableFile(FakeFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {
        ++fs_.open_files_;
    }
    ~FakeWritableFile() override {
        if (open_) --fs_.open_files_;
    }
    FakeWritableFile(const FakeWritableFile&) = delete;
    FakeWritableFile& operator=(const FakeWritableFile&) = delete;

    Status write(std::string_view bytes) override {
        if (!open_) return error(path_, "Bad file descriptor");
        return fs_.file_write(path_, bytes);
    }
    Status sync() override {
        if (!open_) return error(path_, "Bad file descriptor");
        return fs_.file_step(FsOp::sync, path_);
    }
    Status close() override {
        if (!open_) return error(path_, "Bad file descriptor");
        // Like close(2): the descriptor is gone even when closing reports an error.
        open_ = false;
        --fs_.open_files_;
        return fs_.file_step(FsOp::close, path_);
    }

private:
    FakeFileSystem& fs_;
    std::string path_;
    bool open_ = true;
};

void FakeFileSystem::add_file(const std::string& path, std::string bytes) {
    files_[path] = std::move(bytes);
    hidden_.erase(path);
}

void FakeFileSystem::add_folder(const std::string& path) {
    folders_.insert(path);
}

void FakeFileSystem::add_hidden_file(const std::string& path, std::string bytes) {
    files_[path] = std::move(bytes);
    hidden_.insert(path);
}

void FakeFileSystem::fail(FsOp op, std::string path, std::string reason, int times) {
    failures_.push_back(Failure{op, std::move(path), std::move(reason), times, std::nullopt});
}

void FakeFileSystem::fail_write_after(std::string path, std::size_t limit) {
    failures_.push_back(
        Failure{FsOp::write, std::move(path), "No space left on device", -1, limit});
}

void FakeFileSystem::clear_failures() {
    failures_.clear();
}

std::optional<std::string> FakeFileSystem::file(const std::string& path) const {
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second;
}

std::vector<FsCall> FakeFileSystem::calls_of(FsOp op) const {
    std::vector<FsCall> out;
    for (const auto& c : calls_) {
        if (c.op == op) out.push_back(c);
    }
    return out;
}

const FakeFileSystem::Failure* FakeFileSystem::take_failure(FsOp op, const std::string& path,
                                                            const std::string& other) {
    for (auto& f : failures_) {
        if (f.op != op || f.times == 0 || f.write_limit) continue;
        if (!matches(f.path, path) && (other.empty() || !matches(f.path, other))) continue;
        if (f.times > 0) --f.times;
        return &f;
    }
    return nullptr;
}

void FakeFileSystem::record(FsCall call) {
    calls_.push_back(call);
    if (hook_) hook_(call);
}

bool FakeFileSystem::exists(const std::string& path) {
    const bool failed = take_failure(FsOp::exists, path) != nullptr;
    const bool found = !failed && files_.count(path) != 0 && hidden_.count(path) == 0;
    record(FsCall{FsOp::exists, path, {}, 0, !failed});
    return found;
}

Result<std::string> FakeFileSystem::read_all(const std::string& path) {
    std::optional<Error> err;
    if (const Failure* f = take_failure(FsOp::read_all, path)) {
        err = error(path, f->reason);
    } else if (folders_.count(path) != 0) {
        err = error(path, "Is a directory");
    } else if (files_.count(path) == 0) {
        err = error(path, "No such file or directory");
    }
    std::string bytes = err ? std::string() : files_[path];
    record(FsCall{FsOp::read_all, path, {}, 0, !err});
    if (err) return *err;
    return bytes;
}

Result<std::unique_ptr<platform::WritableFile>> FakeFileSystem::create_new(
    const std::string& path) {
    std::optional<Error> err;
    if (const Failure* f = take_failure(FsOp::create_new, path)) {
        err = error(path, f->reason);
    } else if (files_.count(path) != 0 || folders_.count(path) != 0) {
        err = error(path, "File exists");
    }
    if (!err) {
        files_[path] = std::string();
        hidden_.erase(path);
    }
    record(FsCall{FsOp::create_new, path, {}, 0, !err});
    if (err) return *err;
    return std::unique_ptr<platform::WritableFile>(new FakeWritableFile(*this, path));
}

Status FakeFileSystem::file_write(const std::string& path, std::string_view bytes) {
    std::optional<Error> err;
    std::string_view stored = bytes;
    if (const Failure* f = take_failure(FsOp::write, path)) {
        err = error(path, f->reason);
        stored = {};
    } else {
        for (const auto& lim : failures_) {
            if (lim.op != FsOp::write || !lim.write_limit || !matches(lim.path, path)) continue;
            const std::size_t have = files_.count(path) ? files_[path].size() : 0;
            const std::size_t room = have >= *lim.write_limit ? 0 : *lim.write_limit - have;
            if (bytes.size() > room) {
                stored = bytes.substr(0, room);
                err = error(path, lim.reason);
            }
            break;
        }
    }
    // A file removed while open takes no more bytes, as on a real disk.
    if (auto it = files_.find(path); it != files_.end()) it->second.append(stored);
    record(FsCall{FsOp::write, path, {}, bytes.size(), !err});
    if (err) return *err;
    return {};
}

Status FakeFileSystem::file_step(FsOp op, const std::string& path) {
    const Failure* f = take_failure(op, path);
    record(FsCall{op, path, {}, 0, f == nullptr});
    if (f) return error(path, f->reason);
    return {};
}

Status FakeFileSystem::replace(const std::string& from, const std::string& to) {
    std::optional<Error> err;
    if (const Failure* f = take_failure(FsOp::replace, from, to)) {
        err = error(from, f->reason);
    } else if (files_.count(from) == 0) {
        err = error(from, "No such file or directory");
    } else if (folders_.count(to) != 0) {
        err = error(to, "Is a directory");
    }
    if (!err && from != to) {
        files_[to] = std::move(files_[from]);
        files_.erase(from);
        if (hidden_.count(from) != 0) {
            hidden_.insert(to);
        } else {
            hidden_.erase(to);
        }
        hidden_.erase(from);
    }
    record(FsCall{FsOp::replace, from, to, 0, !err});
    if (err) return *err;
    return {};
}

Status FakeFileSystem::remove(const std::string& path) {
    std::optional<Error> err;
    if (const Failure* f = take_failure(FsOp::remove, path)) {
        err = error(path, f->reason);
    } else if (files_.count(path) == 0) {
        err = error(path, "No such file or directory");
    }
    if (!err) {
        files_.erase(path);
        hidden_.erase(path);
    }
    record(FsCall{FsOp::remove, path, {}, 0, !err});
    if (err) return *err;
    return {};
}

}  // namespace vorlix::test
