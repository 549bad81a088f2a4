#include "adapters/posix/posix_file_system.h"

#include "adapters/posix/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace vorlix::adapters::posix {

namespace {

Error sys_error(const std::string& what, int err) {
    return Error(what + ": " + std::generic_category().message(err), err);
}

std::string folder_of(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

class PosixWritableFile : public platform::WritableFile {
public:
    PosixWritableFile(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

    Status write(std::string_view bytes) override {
        if (!fd_.valid()) return sys_error(path_, EBADF);
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_.get(), bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                return sys_error(path_, errno);
            }
            if (n == 0) return sys_error(path_, EIO);  // no progress: give up, never spin
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return {};
    }

    Status sync() override {
        if (!fd_.valid()) return sys_error(path_, EBADF);
        while (::fsync(fd_.get()) != 0) {
            if (errno != EINTR) return sys_error(path_, errno);
        }
        return {};
    }

    Status close() override {
        if (!fd_.valid()) return sys_error(path_, EBADF);
        // Not retried on EINTR: the descriptor is released either way on Linux.
        const int rc = ::close(fd_.release());
        if (rc != 0 && errno != EINTR) return sys_error(path_, errno);
        return {};
    }

private:
    UniqueFd fd_;
    std::string path_;
};

}  // namespace

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Result<std::string> PosixFileSystem::read_all(const std::string& path) {
    int raw;
    do {
        // Non-blocking, so that a FIFO put in a data file's place cannot hang
        // the program; it is refused below.
        raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0) return sys_error(path, errno);
    const UniqueFd fd(raw);

    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return sys_error(path, errno);
    if (S_ISDIR(st.st_mode)) return sys_error(path, EISDIR);
    // A device or pipe may never end; only a plain file is data.
    if (!S_ISREG(st.st_mode)) return Error{path + ": not a regular file"};
    std::string bytes;
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return sys_error(path, errno);
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    return bytes;
}

Result<std::unique_ptr<platform::WritableFile>> PosixFileSystem::create_new(
    const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return sys_error(path, errno);
    return std::unique_ptr<platform::WritableFile>(new PosixWritableFile(UniqueFd(fd), path));
}

Status PosixFileSystem::replace(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return sys_error(from + " -> " + to, errno);

    const std::string folder = folder_of(to);
    const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return sys_error("the file was replaced, but " + folder, errno);
    // Some file systems cannot flush a folder (EINVAL); that is no failure.
    if (::fsync(dir.get()) != 0 && errno != EINVAL && errno != EROFS) {
        return sys_error("the file was replaced, but flushing " + folder, errno);
    }
    return {};
}

Status PosixFileSystem::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return sys_error(path, errno);
    return {};
}

}  // namespace vorlix::adapters::posix
