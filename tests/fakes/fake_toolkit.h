// A toolkit for tests: views that record every control's state, timers that
// tick only when a test fires them, and an event loop whose k-th yield runs
// the events a test scripted for it, so re-entrancy happens for real.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit.h"

namespace vorlix::test {

class FakeToolkit;

// What end() throws: the program ended; no further event reaches it.
struct ProgramEnded {};

class FakeListBox final : public platform::ListBoxView {
public:
    void insert(int pos, std::string_view text) override;
    void remove(int pos) override;
    void clear() override;
    int selected() const override { return selected_; }
    void focus() override { ++focus_count_; }

    const std::vector<std::string>& items() const { return items_; }
    int focus_count() const { return focus_count_; }
    int clear_count() const { return clear_count_; }
    // Changes the selection the way a user would, without the click event.
    void set_selected(int pos) { selected_ = pos; }

private:
    std::vector<std::string> items_;
    int selected_ = -1;
    int focus_count_ = 0;
    int clear_count_ = 0;
};

// The main window with its design-time values.
class FakeMainWindow final : public platform::MainWindowView {
public:
    FakeMainWindow(FakeToolkit& toolkit, platform::MainWindowEvents& events);
    ~FakeMainWindow() override;

    // platform::MainWindowView
    void set_caption(std::string_view caption) override { caption_ = caption; }
    float left() const override { return left_; }
    float top() const override { return top_; }
    float width() const override { return width_; }
    float height() const override { return height_; }
    void move(float left, float top) override;
    void show() override;
    std::string title_text() const override { return title_text_; }
    void set_title_text(std::string_view text) override { title_text_ = text; }
    platform::ListBoxView& title_list() override { return title_list_; }
    void set_lamp(platform::Colour colour) override;
    void set_status(std::string_view text) override { status_ = text; }
    void set_active_picture_visible(bool visible) override { active_visible_ = visible; }
    void set_suspended_picture_visible(bool visible) override { suspended_visible_ = visible; }
    void set_window_button_caption(std::string_view caption) override { button_caption_ = caption; }

    // What the controls hold.
    const std::string& caption() const { return caption_; }
    bool shown() const { return shown_; }
    const std::string& status() const { return status_; }
    platform::Colour lamp() const { return lamp_; }
    // Every colour the lamp took, in order.
    const std::vector<platform::Colour>& lamp_history() const { return lamp_history_; }
    bool active_visible() const { return active_visible_; }
    bool suspended_visible() const { return suspended_visible_; }
    const std::string& button_caption() const { return button_caption_; }
    const FakeListBox& list() const { return title_list_; }
    int move_count() const { return move_count_; }

    // The user's actions.
    void type_title(std::string_view text) { title_text_ = text; }
    void user_move(float left, float top) { left_ = left, top_ = top; }
    void set_size(float width, float height) { width_ = width, height_ = height; }
    void click_add() { events_.Command_ADD_Click(); }
    void click_remove() { events_.Command_REMOVE_Click(); }
    void key_down(int key_code, int shift = 0) { events_.Text_Title_KeyDown(key_code, shift); }
    // Selects an entry (or none with -1) and raises the list's click.
    void select_title(int pos);
    void click_active() { events_.Command_Timer_Click(); }
    void click_suspended() { events_.Command_TimerS_Click(); }
    void click_window_button() { events_.Command_Window_Click(); }
    // Returns the cancel flag the handler left.
    int close();

private:
    FakeToolkit& toolkit_;
    platform::MainWindowEvents& events_;
    std::string caption_ = "Form_Main";
    float left_ = 0, top_ = 0;
    // Outer size: the 5970 x 4425 client area plus a frame.
    float width_ = 6090, height_ = 4950;
    bool shown_ = false;
    std::string title_text_;
    FakeListBox title_list_;
    platform::Colour lamp_ = 0xFFFF;
    std::vector<platform::Colour> lamp_history_;
    std::string status_;
    bool active_visible_ = true;
    bool suspended_visible_ = false;
    std::string button_caption_ = ">>  <<";
    int move_count_ = 0;
};

// The window-list panel with its design-time values.
class FakePanel final : public platform::PanelView {
public:
    FakePanel(FakeToolkit& toolkit, platform::PanelEvents& events, platform::WindowId id);
    ~FakePanel() override;

    // platform::PanelView
    float left() const override { return left_; }
    float top() const override { return top_; }
    float width() const override { return width_; }
    float height() const override { return height_; }
    void set_left(float left) override { left_ = left; }
    void set_top(float top) override { top_ = top; }
    void set_height(float height) override { height_ = height; }
    bool visible() const override { return visible_; }
    void show() override;
    void hide() override { visible_ = false; }
    platform::WindowId window_id() const override { return id_; }
    platform::ListBoxView& window_list() override { return window_list_; }
    int Check_IWindows_value() const override { return check_iwindows_; }
    int autostart_value() const override { return autostart_; }
    void set_autostart_value(int value) override;
    void set_notice(std::string_view text) override { notice_ = text; }
    void set_site_caption(std::string_view text) override { site_caption_ = text; }

    const FakeListBox& list() const { return window_list_; }
    const std::string& notice() const { return notice_; }
    const std::string& site_caption() const { return site_caption_; }
    int show_count() const { return show_count_; }
    // How often the program changed the Autostart box's value.
    int autostart_sets() const { return autostart_sets_; }

    // The user's actions. close() may destroy this panel: do not touch it
    // afterwards.
    void set_Check_IWindows(int value) { check_iwindows_ = value; }
    void click_autostart();  // toggles the box and raises its click
    void select_window(int pos);
    void click_site() { events_.Label_Site_Click(); }
    void close();

private:
    FakeToolkit& toolkit_;
    platform::PanelEvents& events_;
    platform::WindowId id_;
    // Somewhere else than beside the main window, as a freshly made form is.
    float left_ = 100, top_ = 200, width_ = 5295, height_ = 3600;
    bool visible_ = false;
    FakeListBox window_list_;
    int check_iwindows_ = 1;
    int autostart_ = 0;
    int autostart_sets_ = 0;
    std::string notice_;
    std::string site_caption_;
    int show_count_ = 0;
};

class FakeTimer final : public platform::Timer {
public:
    FakeTimer(FakeToolkit& toolkit, std::function<void()> on_tick);
    ~FakeTimer() override;

    void set_interval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void set_enabled(bool enabled) override;
    bool enabled() const override { return enabled_; }

    // A tick falls due: runs the handler when the timer can tick (enabled,
    // interval above 0). Returns whether it ran.
    bool fire();
    // How often the timer went from disabled to enabled, i.e. how often a
    // fresh interval started.
    int starts() const { return starts_; }

private:
    FakeToolkit& toolkit_;
    std::function<void()> on_tick_;
    int interval_ = 0;
    bool enabled_ = false;
    int starts_ = 0;
};

struct MessageBoxCall {
    std::string text;
    std::string caption;
    int flags;
};

class FakeToolkit final : public platform::Toolkit {
public:
    FakeToolkit();
    ~FakeToolkit() override;

    // platform::Toolkit
    std::unique_ptr<platform::MainWindowView> create_main_window(
        platform::MainWindowEvents& events) override;
    std::unique_ptr<platform::PanelView> create_panel(platform::PanelEvents& events) override;
    std::unique_ptr<platform::Timer> create_timer(std::function<void()> on_tick) override;
    void do_events() override;
    void message_box(std::string_view text, std::string_view caption, int flags) override;
    platform::ScreenSize screen_size() const override { return screen_; }
    platform::AppInfo app_info() const override { return app_; }
    int run() override { return 0; }
    [[noreturn]] void end() override;

    // Setting up.
    void set_app_info(platform::AppInfo app) { app_ = std::move(app); }
    void set_screen_size(platform::ScreenSize screen) { screen_ = screen; }
    // The window id the next panel gets.
    void set_next_panel_id(platform::WindowId id) { next_panel_id_ = id; }

    // Scripting the event loop. Yields are counted from 1; `event` runs
    // inside yield number `k` (events of one yield in the order given). An
    // event may yield again; those yields count too.
    void on_yield(long k, std::function<void()> event);
    // Inside the n-th yield from now.
    void after_yields(long n, std::function<void()> event) {
        on_yield(yields_ + n, std::move(event));
    }
    // Runs inside every yield, after the scripted events of that yield.
    void on_every_yield(std::function<void()> event) { every_yield_ = std::move(event); }
    long yields() const { return yields_; }

    // What the program shows.
    FakeMainWindow* main_window() const { return main_; }
    FakePanel* panel() const { return panel_; }
    int panels_created() const { return panels_created_; }
    const std::vector<MessageBoxCall>& message_boxes() const { return message_boxes_; }
    bool ended() const { return ended_; }

    // Live timers, in order of creation.
    std::vector<FakeTimer*> timers() const { return timers_; }

private:
    friend class FakeMainWindow;
    friend class FakePanel;
    friend class FakeTimer;

    platform::AppInfo app_;
    platform::ScreenSize screen_{19200, 14400};  // 1280 x 960 pixels
    platform::WindowId next_panel_id_ = 0x7000;
    FakeMainWindow* main_ = nullptr;
    FakePanel* panel_ = nullptr;
    int panels_created_ = 0;
    std::vector<FakeTimer*> timers_;
    long yields_ = 0;
    std::multimap<long, std::function<void()>> scripted_;
    std::function<void()> every_yield_;
    std::vector<MessageBoxCall> message_boxes_;
    bool ended_ = false;
};

}  // namespace vorlix::test
