// The whole program (vorlix::app::Program) on a chosen toolkit, window
// system and file system, with the registry and the command runner from the
// tests' fakes. Its data files are written into `folder` first.
#pragma once

#include <string>
#include <vector>

#include "app/program.h"
#include "core/data_files.h"
#include "core/lines.h"
#include "counting_toolkit.h"
#include "fake_command_runner.h"
#include "fake_registry.h"
#include "platform/file_system.h"

namespace vorlix::bench {

struct DataFiles {
    std::vector<std::string> blacklist;  // titles, one a line
    std::vector<std::string> names;      // browser names, one a line
    int interval_ms = 0;                 // 0: the scan timer never ticks
};

class Rig {
public:
    Rig(platform::Toolkit& toolkit, platform::WindowSystem& windows, platform::FileSystem& files,
        const std::string& folder)
        : toolkit_(toolkit),
          program_(platform::Services{toolkit_, windows, registry_, runner_, files}) {
        toolkit_.set_app_folder(folder);
    }

    CountingToolkit& toolkit() { return toolkit_; }
    app::Program& program() { return program_; }
    app::Form_Main& main() { return *program_.main_form(); }
    windowlist::Form_WindowList& panel() { return *program_.window_list(); }

private:
    CountingToolkit toolkit_;
    test::FakeRegistry registry_;
    test::FakeCommandRunner runner_;
    app::Program program_;
};

// The toolkit's application facts with the folder replaced.
inline platform::AppInfo app_in(const std::string& folder, const platform::Toolkit& toolkit) {
    platform::AppInfo app = toolkit.app_info();
    app.path = folder;
    return app;
}

// The three files' bytes, as `write(path, bytes)` stores them.
template <class Write>
void write_data_files(const platform::AppInfo& app, const DataFiles& d, Write write) {
    write(core::data_files::path_of(app, core::data_files::kBlacklistName),
          core::lines::join(d.blacklist));
    write(core::data_files::path_of(app, core::data_files::kBrowserNamesName),
          core::lines::join(d.names));
    write(core::data_files::path_of(app, core::data_files::kConfigName),
          core::lines::join({std::to_string(d.interval_ms)}));
}

}  // namespace vorlix::bench
