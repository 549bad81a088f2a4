#include "adapters/xdg/xdg_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "adapters/xdg/desktop_entry.h"
#include "autostart/autostart.h"
#include "base/text.h"
#include "core/file_rewrite.h"

namespace vorlix::adapters::xdg {
namespace {

// The one handle this registry hands out; any value but 0 would do.
constexpr platform::RegKey kRunKeyHandle = 0x52756E;
constexpr long kErrorPathNotFound = 3;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorNotEnoughMemory = 8;
constexpr long kErrorWriteFault = 29;
constexpr long kErrorGenFailure = 31;
constexpr long kErrorDiskFull = 112;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorFilenameTooLong = 206;

bool same_name(std::string_view a, std::string_view b) {
    return text::equal_ignore_case(a, b);
}

// The Win32 code that says what errno says.
long code_of(int err) {
    switch (err) {
        case 0:
            return platform::kErrorSuccess;
        case ENOENT:
            return platform::kErrorFileNotFound;
        case ENOTDIR:
        case ELOOP:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case EEXIST:
            return kErrorAccessDenied;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kErrorDiskFull;
        case EIO:
            return kErrorWriteFault;
        case ENAMETOOLONG:
            return kErrorFilenameTooLong;
        default:
            return kErrorGenFailure;
    }
}

// Like `mkdir -p`, private to the user; the reason of the first failure.
Status make_dirs(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            const int err = errno;
            return Error(prefix + ": " + std::generic_category().message(err), err);
        }
        if (slash == std::string::npos) return {};
    }
}

}  // namespace

XdgRegistry::XdgRegistry(std::string config_home)
    : autostart_dir_(std::move(config_home) + "/autostart"),
      entry_path_(autostart_dir_ + "/" + std::string(autostart::kValueName) + ".desktop") {}

std::string XdgRegistry::config_home_from_environment() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

long XdgRegistry::check(platform::RegKey key, std::string_view name) const {
    if (key != kRunKeyHandle) return platform::kErrorInvalidHandle;
    if (!same_name(name, autostart::kValueName)) return platform::kErrorFileNotFound;
    return platform::kErrorSuccess;
}

long XdgRegistry::failed(const Error& error) {
    last_error_ = error.message;
    return code_of(error.code);
}

long XdgRegistry::open_key(platform::RegKey root, std::string_view subkey,
                           std::uint32_t /*options*/, std::uint32_t /*sam_desired*/,
                           platform::RegKey& key) {
    if (root != platform::kHkeyCurrentUser || !same_name(subkey, autostart::kRunKey)) {
        return platform::kErrorFileNotFound;
    }
    key = kRunKeyHandle;
    return platform::kErrorSuccess;
}

long XdgRegistry::set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
    if (const long code = check(key, name); code != platform::kErrorSuccess) return code;
    if (type != platform::kRegSz) return kErrorInvalidParameter;
    std::string_view text(reinterpret_cast<const char*>(data), data != nullptr ? size : 0);
    // The data is C text: it ends at its first NUL.
    text = text.substr(0, text.find('\0'));
    if (Status made = make_dirs(autostart_dir_); !made) return failed(made.error());
    // Replaced in one step, so that a login never sees half an entry.
    if (Status written = core::rewrite_file(files_, entry_path_, autostart_entry(text)); !written) {
        return failed(written.error());
    }
    return platform::kErrorSuccess;
}

long XdgRegistry::query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                              std::uint8_t* data, std::uint32_t& size) {
    if (const long code = check(key, name); code != platform::kErrorSuccess) return code;
    auto entry = files_.read_all(entry_path_);
    if (!entry) return failed(entry.error());
    const std::optional<std::string> exec = entry_value(entry.value(), "Exec");
    if (!exec) return platform::kErrorFileNotFound;
    std::string value = command_line_from_exec(*exec);
    // REG_SZ data carries its terminating NUL; an empty Exec stands for no bytes.
    if (!value.empty()) value += '\0';
    const auto needed = static_cast<std::uint32_t>(value.size());
    type = platform::kRegSz;
    if (data == nullptr) {
        size = needed;
        return platform::kErrorSuccess;
    }
    if (size < needed) {
        size = needed;
        return platform::kErrorMoreData;
    }
    std::memcpy(data, value.data(), value.size());
    size = needed;
    return platform::kErrorSuccess;
}

long XdgRegistry::delete_value(platform::RegKey key, std::string_view name) {
    if (const long code = check(key, name); code != platform::kErrorSuccess) return code;
    if (Status removed = files_.remove(entry_path_); !removed) return failed(removed.error());
    return platform::kErrorSuccess;
}

long XdgRegistry::close_key(platform::RegKey key) {
    return key == kRunKeyHandle ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
}

}  // namespace vorlix::adapters::xdg
