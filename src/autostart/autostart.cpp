#include "autostart/autostart.h"

#include "autostart/module_registry.h"

namespace vorlix::autostart {

std::string registration_data(const platform::AppInfo& app) {
    std::string path = app.path;
    path += app.separator;
    path += app.exe_name;
    path += app.exe_suffix;
    if (path.find_first_of(" \t") != std::string::npos) return "\"" + path + "\"";
    return path;
}

void Check_Autostart_Click(platform::Registry& registry, const platform::AppInfo& app,
                           int box_value) {
    if (box_value == 1) {
        Registry_Write_Value(registry, platform::kHkeyCurrentUser, kRunKey, kValueName,
                             registration_data(app), platform::kRegSz);
    } else {
        Registry_Delete_Value(registry, platform::kHkeyCurrentUser, kRunKey, kValueName);
    }
}

bool is_registered(platform::Registry& registry) {
    const auto data =
        Registry_Read_Value(registry, platform::kHkeyCurrentUser, kRunKey, kValueName);
    if (!data) return false;
    const auto* text = std::get_if<std::string>(&*data);
    return text != nullptr && !text->empty();
}

}  // namespace vorlix::autostart
