// A toolkit for tests: views whose controls are plain fields, timers that
// tick only when a test fires them, and an event loop whose yields run the
// events a test scripted for them, so re-entrancy happens for real.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/scoped_value.h"
#include "platform/toolkit.h"

namespace vorlix::test {

struct FakeMainWindow;
struct FakePanel;
struct FakeTimer;

// What the views and timers register in and count into.
struct FakeToolkitState {
    FakeMainWindow* main = nullptr;
    FakePanel* panel = nullptr;
    std::vector<FakeTimer*> timers;  // live ones, in order of creation
    bool ended = false;
    int firing = 0;         // depth of the running scan ticks
    long nested_scans = 0;  // scans (the lamp turning red) begun inside a tick
    long nested_fires = 0;  // ticks that fell due inside a tick
};

// What end() throws: the program ended; no further event reaches it.
struct ProgramEnded {};

struct FakeListBox final : platform::ListBoxView {
    void insert(int pos, std::string_view text) override {
        items.insert(items.begin() + pos, std::string(text));
        if (selection >= pos) ++selection;
    }
    void remove(int pos) override {
        items.erase(items.begin() + pos);
        selection = selection == pos ? -1 : selection - (selection > pos ? 1 : 0);
    }
    void clear() override { items.clear(), selection = -1; }
    int selected() const override { return selection; }
    void focus() override {}

    std::vector<std::string> items;
    int selection = -1;
};

// The main window with its design-time values; `events` are the user's.
struct FakeMainWindow final : platform::MainWindowView {
    FakeMainWindow(FakeToolkitState& owner, platform::MainWindowEvents& handlers)
        : toolkit(owner), events(handlers) {
        toolkit.main = this;
    }
    ~FakeMainWindow() override { toolkit.main = toolkit.main == this ? nullptr : toolkit.main; }
    void set_caption(std::string_view c) override { caption = c; }
    float left() const override { return x; }
    float top() const override { return y; }
    float width() const override { return 6090; }
    float height() const override { return 4950; }
    void move(float l, float t) override { x = l, y = t; }
    void show() override { shown = true; }
    std::string title_text() const override { return text; }
    void set_title_text(std::string_view t) override { text = t; }
    platform::ListBoxView& title_list() override { return list; }
    void set_lamp(platform::layout::Lamp l) override {
        // Red is a scan's first step: red inside a nested tick is a nested scan.
        if (l == platform::layout::Lamp::Scanning && toolkit.firing > 1) ++toolkit.nested_scans;
        lamp = l;
    }
    void set_status(std::string_view s) override { status = s; }
    void set_active_picture_visible(bool v) override { active = v; }
    void set_suspended_picture_visible(bool v) override { suspended = v; }
    void set_window_button(bool on) override { panel_shown = on; }
    void announce(std::string_view) override {}

    FakeToolkitState& toolkit;
    platform::MainWindowEvents& events;
    std::string caption, text, status;
    float x = 0, y = 0;
    bool shown = false, active = true, suspended = false, panel_shown = true;
    platform::layout::Lamp lamp = platform::layout::Lamp::Design;
    FakeListBox list;
};

struct FakePanel final : platform::PanelView {
    FakePanel(FakeToolkitState& owner, platform::PanelEvents& handlers)
        : toolkit(owner), events(handlers) {
        toolkit.panel = this;
    }
    ~FakePanel() override { toolkit.panel = toolkit.panel == this ? nullptr : toolkit.panel; }
    float left() const override { return x; }
    float top() const override { return y; }
    float width() const override { return 5295; }
    float height() const override { return h; }
    void set_left(float l) override { x = l; }
    void set_top(float t) override { y = t; }
    void set_height(float height) override { h = height; }
    bool visible() const override { return shown; }
    void show() override { shown = true; }
    void hide() override { shown = false; }
    platform::WindowId window_id() const override { return kId; }
    platform::ListBoxView& window_list() override { return list; }
    int Check_IWindows_value() const override { return check_iwindows; }
    int autostart_value() const override { return autostart; }
    void set_autostart_value(int value) override {
        if (value == autostart) return;
        autostart = value;
        events.Check_Autostart_Click();
    }
    void set_notice(std::string_view t) override { notice = t; }
    void set_site_caption(std::string_view t) override { site_caption = t; }

    static constexpr platform::WindowId kId = 0x7000;
    FakeToolkitState& toolkit;
    platform::PanelEvents& events;
    // Somewhere else than beside the main window, as a freshly made form is.
    float x = 100, y = 200, h = 3600;
    bool shown = false;
    FakeListBox list;
    int check_iwindows = 1, autostart = 0;
    std::string notice, site_caption;
};

struct FakeTimer final : platform::Timer {
    FakeTimer(FakeToolkitState& owner, std::function<void()> tick)
        : toolkit(owner), on_tick(std::move(tick)) {
        toolkit.timers.push_back(this);
    }
    ~FakeTimer() override {
        toolkit.timers.erase(std::find(toolkit.timers.begin(), toolkit.timers.end(), this));
    }
    void set_interval(int ms) override { interval_ms = ms; }
    int interval() const override { return interval_ms; }
    void set_enabled(bool on) override { on_ = on; }
    bool enabled() const override { return on_; }
    // A tick falls due: false when the timer cannot tick (disabled, no
    // interval, the program ended).
    bool fire() {
        if (!on_ || interval_ms <= 0 || toolkit.ended) return false;
        // Copied: the handler may destroy this timer.
        FakeToolkitState& tk = toolkit;
        const auto tick = on_tick;
        // The main window makes the scan timer first; only its ticks are counted.
        const int counted = tk.timers.front() == this ? 1 : 0;
        const ScopedValue depth(tk.firing, tk.firing + counted);  // however the tick ends
        if (tk.firing > 1) tk.nested_fires += counted;
        tick();
        return true;
    }

    FakeToolkitState& toolkit;
    std::function<void()> on_tick;
    int interval_ms = 0;
    bool on_ = false;
};

struct FakeToolkit final : platform::Toolkit, FakeToolkitState {
    std::unique_ptr<platform::MainWindowView> create_main_window(
        platform::MainWindowEvents& events) override {
        return std::make_unique<FakeMainWindow>(*this, events);
    }
    std::unique_ptr<platform::PanelView> create_panel(platform::PanelEvents& events) override {
        return std::make_unique<FakePanel>(*this, events);
    }
    std::unique_ptr<platform::Timer> create_timer(std::function<void()> on_tick) override {
        return std::make_unique<FakeTimer>(*this, std::move(on_tick));
    }
    bool do_events() override;
    void message_box(std::string_view text, std::string_view, int) override {
        boxes.emplace_back(text);
    }
    platform::ScreenSize screen_size() const override { return {19200, 14400}; }
    platform::AppInfo app_info() const override { return app; }
    int run() override { return 0; }
    [[noreturn]] void end() override {
        ended = true;
        throw ProgramEnded{};
    }

    // `event` runs inside the n-th yield from now (an event may yield again;
    // those yields count too).
    void after_yields(long n, std::function<void()> event) {
        scripted.emplace(yields + n, std::move(event));
    }

    platform::AppInfo app{"/opt/vorlix", "vorlix", '/', ""};
    long yields = 0;
    std::multimap<long, std::function<void()>> scripted;
    std::vector<std::string> boxes;  // message box texts
};

inline bool FakeToolkit::do_events() {
    if (ended) return false;
    const long k = ++yields;
    // Taken out first: an event may script more events or yield again.
    std::vector<std::function<void()>> due;
    for (auto [it, last] = scripted.equal_range(k); it != last; ++it) due.push_back(it->second);
    scripted.erase(k);
    for (auto& event : due) {
        if (!ended) event();
    }
    return true;
}

}  // namespace vorlix::test
