#include "adapters/xdg/xdg_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "adapters/xdg/desktop_entry.h"

namespace vorlix::platform::xdg {
namespace {

constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kValueName = "Kelto_Vorlix";
// The one handle this registry hands out; any value but 0 would do.
constexpr RegKey kRunKeyHandle = 0x52756E;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidParameter = 87;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Closes a descriptor on every path out of a scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::optional<std::string> read_file(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool make_dirs(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

// Writes beside the target and renames over it, so that a login never sees
// half an entry.
bool write_atomically(const std::string& dir, const std::string& path, std::string_view bytes) {
    if (!make_dirs(dir)) return false;
    std::string temp = dir + "/.Kelto_Vorlix.desktop.XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) return false;
    bool ok = ::fchmod(fd.get(), 0644) == 0;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd.get()) == 0;
    ok = ::close(fd.release()) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace

XdgRegistry::XdgRegistry(std::string config_home)
    : autostart_dir_(std::move(config_home) + "/autostart"),
      entry_path_(autostart_dir_ + "/Kelto_Vorlix.desktop") {}

std::string XdgRegistry::config_home_from_environment() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

long XdgRegistry::check(RegKey key, std::string_view name) const {
    if (key != kRunKeyHandle) return kErrorInvalidHandle;
    if (!equal_ignoring_case(name, kValueName)) return kErrorFileNotFound;
    return kErrorSuccess;
}

long XdgRegistry::open_key(RegKey root, std::string_view subkey, std::uint32_t /*options*/,
                           std::uint32_t /*sam_desired*/, RegKey& key) {
    if (root != kHkeyCurrentUser || !equal_ignoring_case(subkey, kRunKey)) {
        return kErrorFileNotFound;
    }
    key = kRunKeyHandle;
    return kErrorSuccess;
}

long XdgRegistry::set_value(RegKey key, std::string_view name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
    if (const long code = check(key, name); code != kErrorSuccess) return code;
    if (type != kRegSz) return kErrorInvalidParameter;
    std::string_view text(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    // The data is C text: it ends at its first NUL.
    text = text.substr(0, text.find('\0'));
    return write_atomically(autostart_dir_, entry_path_, autostart_entry(text))
               ? kErrorSuccess
               : kErrorAccessDenied;
}

long XdgRegistry::query_value(RegKey key, std::string_view name, std::uint32_t& type,
                              std::uint8_t* data, std::uint32_t& size) {
    if (const long code = check(key, name); code != kErrorSuccess) return code;
    const std::optional<std::string> entry = read_file(entry_path_);
    if (!entry) return kErrorFileNotFound;
    const std::optional<std::string> exec = entry_value(*entry, "Exec");
    if (!exec) return kErrorFileNotFound;
    std::string value = command_line_from_exec(*exec);
    // REG_SZ data carries its terminating NUL; an empty Exec stands for no bytes.
    if (!value.empty()) value += '\0';
    const auto needed = static_cast<std::uint32_t>(value.size());
    type = kRegSz;
    if (data == nullptr) {
        size = needed;
        return kErrorSuccess;
    }
    if (size < needed) {
        size = needed;
        return kErrorMoreData;
    }
    std::memcpy(data, value.data(), value.size());
    size = needed;
    return kErrorSuccess;
}

long XdgRegistry::delete_value(RegKey key, std::string_view name) {
    if (const long code = check(key, name); code != kErrorSuccess) return code;
    if (::unlink(entry_path_.c_str()) == 0) return kErrorSuccess;
    return errno == ENOENT ? kErrorFileNotFound : kErrorAccessDenied;
}

long XdgRegistry::close_key(RegKey key) {
    return key == kRunKeyHandle ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace vorlix::platform::xdg
