#include "adapters/win32/win32_file_system.h"

#include <windows.h>

#include <climits>

#include "adapters/win32/win32_handle.h"
#include "adapters/win32/win32_text.h"

namespace vorlix::adapters::win32 {

namespace {

Error failure(std::string_view what, const std::string& path, DWORD code) {
    return Error{describe_error(std::string(what) + " " + path, code)};
}

Status write_all(HANDLE h, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) {
            return failure("cannot write", path, GetLastError());
        }
        if (written == 0) return failure("cannot write", path, ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
    return {};
}

// Written text is kept until sync or close, because whether a file is ANSI
// or UTF-8 depends on all of its text.
class Win32WritableFile final : public platform::WritableFile {
public:
    Win32WritableFile(FileHandle file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}
    ~Win32WritableFile() override {
        if (file_.valid()) (void)close();
    }

    Status write(std::string_view bytes) override {
        if (!file_.valid()) return Error{"cannot write " + path_ + ": the file is closed"};
        text_.append(bytes);
        dirty_ = true;
        return {};
    }

    Status sync() override {
        if (!file_.valid()) return Error{"cannot sync " + path_ + ": the file is closed"};
        if (Status s = store(); !s) return s;
        if (!FlushFileBuffers(file_.get())) return failure("cannot sync", path_, GetLastError());
        return {};
    }

    Status close() override {
        if (!file_.valid()) return {};
        Status stored = store();
        const bool closed = file_.reset();
        const DWORD code = GetLastError();
        if (!stored) return stored;
        if (!closed) return failure("cannot close", path_, code);
        return {};
    }

private:
    // Writes the whole text from the start, so that a later write after a
    // sync still gives a file that is encoded as one.
    Status store() {
        if (!dirty_) return {};
        const std::string bytes = encode_data_file(text_);
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN)) {
            return failure("cannot write", path_, GetLastError());
        }
        if (Status s = write_all(file_.get(), bytes, path_); !s) return s;
        if (!SetEndOfFile(file_.get())) return failure("cannot write", path_, GetLastError());
        dirty_ = false;
        return {};
    }

    FileHandle file_;
    std::string path_;
    std::string text_;
    bool dirty_ = false;
};

}  // namespace

std::string encode_data_file(std::string_view text) {
    if (auto ansi = to_ansi_exact(text); ansi && !ansi->starts_with(kUtf8Mark)) {
        return std::move(*ansi);
    }
    std::string bytes(kUtf8Mark);
    bytes.append(text);
    return bytes;
}

std::string decode_data_file(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return std::string(bytes.substr(kUtf8Mark.size()));
    return from_ansi(bytes);
}

bool Win32FileSystem::exists(const std::string& path) {
    // Only this very file: a pattern must not match another one.
    if (path.find_first_of("*?") != std::string::npos) return false;
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW(widen(path).c_str(), &found));
    if (!search.valid()) return false;
    constexpr DWORD kNotAPlainFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
    return (found.dwFileAttributes & kNotAPlainFile) == 0;
}

Result<std::string> Win32FileSystem::read_all(const std::string& path) {
    FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return failure("cannot open", path, GetLastError());
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            return failure("cannot read", path, GetLastError());
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return decode_data_file(bytes);
}

Result<std::unique_ptr<platform::WritableFile>> Win32FileSystem::create_new(
    const std::string& path) {
    // CREATE_NEW fails on any existing name, a link included, and the flag
    // keeps a link from being followed.
    FileHandle file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
    if (!file.valid()) return failure("cannot create", path, GetLastError());
    return std::unique_ptr<platform::WritableFile>(
        std::make_unique<Win32WritableFile>(std::move(file), path));
}

Status Win32FileSystem::replace(const std::string& from, const std::string& to) {
    if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return failure("cannot move " + from + " over", to, GetLastError());
    }
    return {};
}

Status Win32FileSystem::remove(const std::string& path) {
    if (!DeleteFileW(widen(path).c_str())) return failure("cannot remove", path, GetLastError());
    return {};
}

}  // namespace vorlix::adapters::win32
