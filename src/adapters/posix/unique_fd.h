// Owns a POSIX file descriptor: closed on every path out of a scope. Shared
// by the POSIX adapters so that none of them leaks one on an early return.
#pragma once

#include <unistd.h>

#include <utility>

namespace vorlix::adapters::posix {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.release();
        }
        return *this;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Hands the descriptor over; this object no longer closes it.
    [[nodiscard]] int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace vorlix::adapters::posix
