// The autostart value under the current user's Run key, behind the panel's
// Autostart check box.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/toolkit.h"

namespace vorlix::autostart {

inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::string_view kValueName = "Kelto_Vorlix";

// The running executable's full path. Quoted when it holds a blank: an
// unquoted path with blanks under a Run key can start another program.
std::string registration_data(const platform::AppInfo& app);

// Check_Autostart's click: a ticked box (value 1) writes the value afresh
// with this copy's path, anything else deletes it.
void Check_Autostart_Click(platform::Registry& registry, const platform::AppInfo& app,
                           int box_value);

// Any non-empty text under the value counts as registered, whichever copy
// it names; a number does not (this program only ever writes text).
[[nodiscard]] bool is_registered(platform::Registry& registry);

}  // namespace vorlix::autostart
