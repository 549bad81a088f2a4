// The Run key on a freedesktop desktop: the value "Kelto_Vorlix" under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run is the autostart entry
// <config home>/autostart/Kelto_Vorlix.desktop, whose Exec is the value's
// data. Every other key and value answers "not found"; a failing file
// operation answers the Win32 code that matches the system's reason.
#pragma once

#include <string>

#include "adapters/posix/posix_file_system.h"
#include "base/result.h"
#include "platform/registry.h"

namespace vorlix::adapters::xdg {

class XdgRegistry : public platform::Registry {
public:
    // `config_home` is the folder that holds "autostart".
    explicit XdgRegistry(std::string config_home);

    // $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config.
    static std::string config_home_from_environment();

    const std::string& entry_path() const { return entry_path_; }
    // The system's words for the last failure a call answered with a code.
    const std::string& last_error() const { return last_error_; }

    long open_key(platform::RegKey root, std::string_view subkey, std::uint32_t options,
                  std::uint32_t sam_desired, platform::RegKey& key) override;
    long set_value(platform::RegKey key, std::string_view name, std::uint32_t type,
                   const std::uint8_t* data, std::uint32_t size) override;
    long query_value(platform::RegKey key, std::string_view name, std::uint32_t& type,
                     std::uint8_t* data, std::uint32_t& size) override;
    long delete_value(platform::RegKey key, std::string_view name) override;
    long close_key(platform::RegKey key) override;

private:
    // Zero when `key` and `name` are the autostart value, else the code to answer.
    long check(platform::RegKey key, std::string_view name) const;
    long failed(const Error& error);

    posix::PosixFileSystem files_;

    std::string autostart_dir_;
    std::string entry_path_;
    std::string last_error_;
};

}  // namespace vorlix::adapters::xdg
