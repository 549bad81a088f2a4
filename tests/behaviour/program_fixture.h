// The whole program over the fakes, started the way main starts it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "autostart/autostart.h"
#include "fake_command_runner.h"
#include "fake_file_system.h"
#include "fake_registry.h"
#include "fake_toolkit.h"
#include "fake_window_system.h"

namespace vorlix::test {

inline constexpr platform::WindowId kPanelId = 0x7000;
inline constexpr const char* kFolder = "/opt/vorlix";
inline constexpr const char* kIe = "Microsoft Internet Explorer";

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() {
        platform::AppInfo app;
        app.path = kFolder;
        app.exe_name = "vorlix";
        app.separator = '/';
        toolkit.set_app_info(app);
        toolkit.set_next_panel_id(kPanelId);
        files.add_folder(kFolder);
        registry.add_key(platform::kHkeyCurrentUser, autostart::kRunKey);
    }

    platform::Services services() { return {toolkit, windows, registry, runner, files}; }

    void start() {
        program = std::make_unique<app::Program>(services());
        program->start();
    }

    static std::string path(const std::string& name) { return std::string(kFolder) + "/" + name; }
    void put_file(const std::string& name, std::string bytes) {
        files.add_file(path(name), std::move(bytes));
    }
    std::optional<std::string> file(const std::string& name) const {
        return files.file(path(name));
    }
    // Every file on the fake disk, temporary leftovers included.
    std::vector<std::string> file_names() const {
        std::vector<std::string> names;
        for (const auto& [p, bytes] : files.files()) names.push_back(p);
        return names;
    }

    FakeMainWindow& main() { return *toolkit.main_window(); }
    FakePanel* panel() { return toolkit.panel(); }
    // The main window's timer is made before any panel's.
    FakeTimer& Timer_Destroy() { return *toolkit.timers().front(); }
    // The panel's docking timer; null while there is no panel.
    FakeTimer* Timer_PosWindow() {
        const auto timers = toolkit.timers();
        return timers.size() > 1 ? timers.back() : nullptr;
    }
    bool tick() { return Timer_Destroy().fire(); }
    const core::ProgramState& state() const { return program->state(); }
    const std::vector<std::string>& titles() { return main().list().items(); }
    const std::vector<std::string>& window_titles() { return panel()->list().items(); }

    void add_title(const std::string& text) {
        main().type_title(text);
        main().click_add();
    }
    // The user closes the main window; the fake's end() ends the program.
    void close_main() { EXPECT_THROW(main().close(), ProgramEnded); }

    FakeToolkit toolkit;
    FakeWindowSystem windows;
    FakeRegistry registry;
    FakeCommandRunner runner;
    FakeFileSystem files;
    std::unique_ptr<app::Program> program;
};

using Lines = std::vector<std::string>;

}  // namespace vorlix::test
