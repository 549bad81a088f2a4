// Owners for Win32 handles, so that every early return closes what it opened.
#pragma once

#include <windows.h>

#include <utility>

namespace vorlix::adapters::win32 {

template <class H, BOOL(WINAPI* Close)(H), auto Invalid>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, invalid());
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return h_; }
    bool valid() const { return h_ != invalid(); }
    // Closes now and reports whether closing succeeded.
    bool reset() {
        if (!valid()) return true;
        const BOOL ok = Close(std::exchange(h_, invalid()));
        return ok != FALSE;
    }

private:
    static H invalid() { return reinterpret_cast<H>(Invalid); }
    H h_ = invalid();
};

using FileHandle = UniqueHandle<HANDLE, CloseHandle, static_cast<std::intptr_t>(-1)>;
using FindHandle = UniqueHandle<HANDLE, FindClose, static_cast<std::intptr_t>(-1)>;

}  // namespace vorlix::adapters::win32
