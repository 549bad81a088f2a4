// The whole program over the fakes (or over a real file system), started the
// way main starts it, with the user's actions and what the program shows.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "autostart/autostart.h"
#include "core/lines.h"
#include "core/sorted_list.h"
#include "fake_command_runner.h"
#include "fake_file_system.h"
#include "fake_registry.h"
#include "fake_toolkit.h"
#include "fake_window_system.h"
#include "platform/command_runner.h"

namespace vorlix::test {

using Lines = std::vector<std::string>;
inline constexpr const char* kIe = "Microsoft Internet Explorer";

struct ProgramFixture {
    // `real_files`: a real file system over `folder` instead of the fake disk.
    explicit ProgramFixture(platform::FileSystem* real_files = nullptr,
                            std::string folder = "/opt/vorlix")
        : files(real_files != nullptr ? *real_files : disk) {
        toolkit.app.path = std::move(folder);
        registry.key(platform::kHkeyCurrentUser, autostart::kRunKey);
    }

    void start() {
        program.reset();
        program = std::make_unique<app::Program>(
            platform::Services{toolkit, windows, registry, runner, files});
        program->start();
    }

    std::string path(std::string_view name) const {
        return toolkit.app.path + "/" + std::string(name);
    }
    void put_file(std::string_view name, std::string bytes) { disk.add_file(path(name), bytes); }
    std::optional<std::string> file(std::string_view name) const { return disk.file(path(name)); }

    FakeMainWindow& main() { return *toolkit.main; }
    FakePanel* panel() { return toolkit.panel; }
    // The main window makes its timer before any panel does.
    FakeTimer& Timer_Destroy() { return *toolkit.timers.front(); }
    FakeTimer* Timer_PosWindow() {
        return toolkit.timers.size() > 1 ? toolkit.timers.back() : nullptr;
    }
    bool tick() { return Timer_Destroy().fire(); }
    void refresh() { program->window_list()->Update_Window_List(); }
    void click_window_button() { main().events.Command_Window_Click(); }
    const core::ProgramState& state() const { return program->state(); }
    const Lines& titles() { return main().list.items; }
    const Lines& window_titles() { return panel()->list.items; }

    void add_title(std::string_view text) {
        main().text = text;
        main().events.Command_ADD_Click();
    }
    void select_title(int pos) {
        main().list.selection = pos;
        main().events.List_Title_Click();
    }
    void remove_title(int pos) {
        select_title(pos);
        main().events.Command_REMOVE_Click();
    }
    void close_panel() {
        int cancel = 0;
        panel()->events.Form_Unload(cancel);
    }
    void close_main() {
        int cancel = 0;
        main().events.Form_Unload(cancel);
    }
    // The bytes a save of the list as shown writes.
    std::string shown_blacklist_bytes() {
        std::string bytes;
        for (const std::string& entry : titles())
            core::lines::append_line(bytes, core::entry_title(entry));
        return bytes;
    }

    FakeToolkit toolkit;
    FakeWindowSystem windows;
    FakeRegistry registry;
    FakeCommandRunner runner;
    FakeFileSystem disk;
    platform::FileSystem& files;
    std::unique_ptr<app::Program> program;
};

}  // namespace vorlix::test
