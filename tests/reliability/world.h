// The whole program over the fakes (or over a real file system), started the
// way main starts it, with probes that notice what must never happen: a scan
// tick running inside another one.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/form_main.h"
#include "app/program.h"
#include "autostart/autostart.h"
#include "core/lines.h"
#include "core/sorted_list.h"
#include "fake_command_runner.h"
#include "fake_file_system.h"
#include "fake_registry.h"
#include "fake_toolkit.h"
#include "fake_window_system.h"

namespace vorlix::reliability {

inline constexpr platform::WindowId kPanelId = 0x7000;
inline constexpr const char* kIe = "Microsoft Internet Explorer";

// Counts of the slow tests divided by VORLIX_RELIABILITY_SCALE (the
// sanitizer build sets it), never below `floor`.
inline long scaled(long count, long floor = 1) {
    long divisor = 1;
    if (const char* s = std::getenv("VORLIX_RELIABILITY_SCALE")) divisor = std::atol(s);
    if (divisor < 1) divisor = 1;
    const long n = count / divisor;
    return n < floor ? floor : n;
}

// True in builds that run the slow groups with smaller counts.
inline bool scaled_down() {
    return scaled(1000) < 1000;
}

// The main window as the program sees it, passing everything on to the
// fake and watching the lamp: red is the first thing a scan does, so red
// while a scan handler is already running means a nested scan started.
class ProbeMainWindow final : public platform::MainWindowView {
public:
    ProbeMainWindow(std::unique_ptr<platform::MainWindowView> inner, const int& tick_depth,
                    long& nested_scans)
        : inner_(std::move(inner)), tick_depth_(tick_depth), nested_scans_(nested_scans) {}

    void set_caption(std::string_view c) override { inner_->set_caption(c); }
    float left() const override { return inner_->left(); }
    float top() const override { return inner_->top(); }
    float width() const override { return inner_->width(); }
    float height() const override { return inner_->height(); }
    void move(float l, float t) override { inner_->move(l, t); }
    void show() override { inner_->show(); }
    std::string title_text() const override { return inner_->title_text(); }
    void set_title_text(std::string_view t) override { inner_->set_title_text(t); }
    platform::ListBoxView& title_list() override { return inner_->title_list(); }
    void set_lamp(platform::Colour colour) override {
        if (colour == app::kLampRed && tick_depth_ > 1) ++nested_scans_;
        inner_->set_lamp(colour);
    }
    void set_status(std::string_view t) override { inner_->set_status(t); }
    void set_active_picture_visible(bool v) override { inner_->set_active_picture_visible(v); }
    void set_suspended_picture_visible(bool v) override {
        inner_->set_suspended_picture_visible(v);
    }
    void set_window_button_caption(std::string_view c) override {
        inner_->set_window_button_caption(c);
    }

private:
    std::unique_ptr<platform::MainWindowView> inner_;
    const int& tick_depth_;
    long& nested_scans_;
};

// The fake toolkit with the scan timer's handler wrapped, so that a tick's
// depth is known at every moment.
class ProbeToolkit final : public platform::Toolkit {
public:
    explicit ProbeToolkit(test::FakeToolkit& fake) : fake_(fake) {}

    std::unique_ptr<platform::MainWindowView> create_main_window(
        platform::MainWindowEvents& events) override {
        return std::make_unique<ProbeMainWindow>(fake_.create_main_window(events), tick_depth_,
                                                 nested_scans_);
    }
    std::unique_ptr<platform::PanelView> create_panel(platform::PanelEvents& events) override {
        return fake_.create_panel(events);
    }
    std::unique_ptr<platform::Timer> create_timer(std::function<void()> on_tick) override {
        // The main window makes the scan timer first, before any panel timer.
        if (timer_destroy_ != nullptr) return fake_.create_timer(std::move(on_tick));
        auto timer = fake_.create_timer([this, tick = std::move(on_tick)] {
            ++tick_depth_;
            ++tick_calls_;
            if (tick_depth_ > 1) ++nested_tick_calls_;
            tick();
            --tick_depth_;
        });
        timer_destroy_ = static_cast<test::FakeTimer*>(timer.get());
        return timer;
    }
    void do_events() override { fake_.do_events(); }
    void message_box(std::string_view text, std::string_view caption, int flags) override {
        fake_.message_box(text, caption, flags);
    }
    platform::ScreenSize screen_size() const override { return fake_.screen_size(); }
    platform::AppInfo app_info() const override { return fake_.app_info(); }
    int run() override { return fake_.run(); }
    [[noreturn]] void end() override { fake_.end(); }

    // Scans that started while another was running: must stay 0.
    long nested_scans() const { return nested_scans_; }
    // Tick handler calls, and those that fell due inside a running tick.
    long tick_calls() const { return tick_calls_; }
    long nested_tick_calls() const { return nested_tick_calls_; }
    int tick_depth() const { return tick_depth_; }
    test::FakeTimer* Timer_Destroy() const { return timer_destroy_; }

private:
    test::FakeToolkit& fake_;
    test::FakeTimer* timer_destroy_ = nullptr;
    int tick_depth_ = 0;
    long nested_scans_ = 0;
    long tick_calls_ = 0;
    long nested_tick_calls_ = 0;
};

// The program over fakes and the file system it is given.
class World {
public:
    // `other_windows`: a real window system instead of the fake one.
    World(platform::FileSystem& files, std::string folder,
          platform::WindowSystem* other_windows = nullptr)
        : files_(files), windows_in_use_(other_windows != nullptr ? *other_windows : windows) {
        platform::AppInfo app;
        app.path = std::move(folder);
        app.exe_name = "vorlix";
        app.separator = '/';
        toolkit.set_app_info(app);
        toolkit.set_next_panel_id(kPanelId);
        registry.add_key(platform::kHkeyCurrentUser, autostart::kRunKey);
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    void start() {
        program = std::make_unique<app::Program>(
            platform::Services{probe, windows_in_use_, registry, runner, files_});
        program->start();
    }

    std::string path(std::string_view name) const {
        return toolkit.app_info().path + "/" + std::string(name);
    }
    test::FakeMainWindow& main() { return *toolkit.main_window(); }
    test::FakePanel* panel() { return toolkit.panel(); }
    test::FakeTimer& Timer_Destroy() { return *probe.Timer_Destroy(); }
    // The newest panel's docking timer, null while there is no panel.
    test::FakeTimer* Timer_PosWindow() {
        const auto timers = toolkit.timers();
        return timers.size() > 1 ? timers.back() : nullptr;
    }
    bool tick() { return Timer_Destroy().fire(); }
    const core::ProgramState& state() const { return program->state(); }
    const SortedList& list_title() { return program->main_form()->List_Title(); }
    void add_title(std::string_view text) {
        main().type_title(text);
        main().click_add();
    }
    // The bytes a save of the list as shown writes.
    std::string shown_blacklist_bytes() {
        std::string bytes;
        for (const std::string& entry : main().list().items()) {
            lines::append_line(bytes, entry_title(entry));
        }
        return bytes;
    }

    test::FakeToolkit toolkit;
    ProbeToolkit probe{toolkit};
    test::FakeWindowSystem windows;
    test::FakeRegistry registry;
    test::FakeCommandRunner runner;
    std::unique_ptr<app::Program> program;

private:
    platform::FileSystem& files_;
    platform::WindowSystem& windows_in_use_;
};

}  // namespace vorlix::reliability
