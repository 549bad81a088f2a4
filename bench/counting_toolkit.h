// A toolkit that passes every call to a real one (Qt, or the tests' fake)
// and counts what the benchmarks need to see: yields, the longest stretch
// between two yields, and every call that changes a list box. It can also
// move the application folder, so the data files live in a scratch folder.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/toolkit.h"

namespace vorlix::bench {

struct ToolkitCounts {
    long yields = 0;
    long list_changes = 0;      // insert, remove and clear on either list box
    long panel_moves = 0;       // set_left and set_top on the panel
    double longest_gap_ms = 0;  // between two passes of the event loop
    std::chrono::steady_clock::time_point last{};

    void reset() {
        yields = 0;
        list_changes = 0;
        panel_moves = 0;
        longest_gap_ms = 0;
        last = std::chrono::steady_clock::now();
    }
};

class CountingListBox final : public platform::ListBoxView {
public:
    CountingListBox(platform::ListBoxView& inner, ToolkitCounts& counts)
        : inner_(inner), counts_(counts) {}
    void insert(int pos, std::string_view text) override {
        ++counts_.list_changes;
        inner_.insert(pos, text);
    }
    void remove(int pos) override {
        ++counts_.list_changes;
        inner_.remove(pos);
    }
    void clear() override {
        ++counts_.list_changes;
        inner_.clear();
    }
    int selected() const override { return inner_.selected(); }
    void focus() override { inner_.focus(); }

private:
    platform::ListBoxView& inner_;
    ToolkitCounts& counts_;
};

class CountingMainWindow final : public platform::MainWindowView {
public:
    CountingMainWindow(std::unique_ptr<platform::MainWindowView> inner, ToolkitCounts& counts)
        : inner_(std::move(inner)), list_(inner_->title_list(), counts) {}
    void set_caption(std::string_view caption) override { inner_->set_caption(caption); }
    float left() const override { return inner_->left(); }
    float top() const override { return inner_->top(); }
    float width() const override { return inner_->width(); }
    float height() const override { return inner_->height(); }
    void move(float left, float top) override { inner_->move(left, top); }
    void show() override { inner_->show(); }
    std::string title_text() const override { return inner_->title_text(); }
    void set_title_text(std::string_view text) override { inner_->set_title_text(text); }
    platform::ListBoxView& title_list() override { return list_; }
    void set_lamp(platform::layout::Lamp lamp) override { inner_->set_lamp(lamp); }
    void set_status(std::string_view text) override { inner_->set_status(text); }
    void set_active_picture_visible(bool visible) override {
        inner_->set_active_picture_visible(visible);
    }
    void set_suspended_picture_visible(bool visible) override {
        inner_->set_suspended_picture_visible(visible);
    }
    void set_window_button(bool panel_shown) override { inner_->set_window_button(panel_shown); }
    void announce(std::string_view words) override { inner_->announce(words); }

private:
    std::unique_ptr<platform::MainWindowView> inner_;
    CountingListBox list_;
};

class CountingPanel final : public platform::PanelView {
public:
    CountingPanel(std::unique_ptr<platform::PanelView> inner, ToolkitCounts& counts)
        : inner_(std::move(inner)), list_(inner_->window_list(), counts), counts_(counts) {}
    float left() const override { return inner_->left(); }
    float top() const override { return inner_->top(); }
    float width() const override { return inner_->width(); }
    float height() const override { return inner_->height(); }
    void set_left(float left) override {
        ++counts_.panel_moves;
        inner_->set_left(left);
    }
    void set_top(float top) override {
        ++counts_.panel_moves;
        inner_->set_top(top);
    }
    void set_height(float height) override { inner_->set_height(height); }
    bool visible() const override { return inner_->visible(); }
    void show() override { inner_->show(); }
    void hide() override { inner_->hide(); }
    platform::WindowId window_id() const override { return inner_->window_id(); }
    platform::ListBoxView& window_list() override { return list_; }
    int Check_IWindows_value() const override { return inner_->Check_IWindows_value(); }
    int autostart_value() const override { return inner_->autostart_value(); }
    void set_autostart_value(int value) override { inner_->set_autostart_value(value); }
    void set_notice(std::string_view text) override { inner_->set_notice(text); }
    void set_site_caption(std::string_view text) override { inner_->set_site_caption(text); }

private:
    std::unique_ptr<platform::PanelView> inner_;
    CountingListBox list_;
    ToolkitCounts& counts_;
};

class CountingToolkit final : public platform::Toolkit {
public:
    explicit CountingToolkit(platform::Toolkit& inner) : inner_(inner) { counts_.reset(); }

    ToolkitCounts& counts() { return counts_; }
    // The data files are looked for in `folder` instead of beside the
    // executable.
    void set_app_folder(std::string folder) { folder_ = std::move(folder); }
    // A trial of a cheaper yield: the real one runs at most once in this
    // many microseconds (0: every time).
    void set_yield_every_us(long us) { yield_every_ = std::chrono::microseconds(us); }
    // Runs after each window is made, before the program fills or shows it.
    void on_window_made(std::function<void()> hook) { on_window_made_ = std::move(hook); }

    std::unique_ptr<platform::MainWindowView> create_main_window(
        platform::MainWindowEvents& events) override {
        auto view =
            std::make_unique<CountingMainWindow>(inner_.create_main_window(events), counts_);
        if (on_window_made_) on_window_made_();
        return view;
    }
    std::unique_ptr<platform::PanelView> create_panel(platform::PanelEvents& events) override {
        auto view = std::make_unique<CountingPanel>(inner_.create_panel(events), counts_);
        if (on_window_made_) on_window_made_();
        return view;
    }
    std::unique_ptr<platform::Timer> create_timer(std::function<void()> on_tick) override {
        return inner_.create_timer(std::move(on_tick));
    }
    bool do_events() override {
        ++counts_.yields;
        // Without a trial the stretches are timed between the passes the
        // toolkit really made: a clock read per yield would cost more than
        // a look-up.
        if (yield_every_.count() == 0) {
            const bool ran = inner_.do_events();
            if (ran) note_gap();
            return ran;
        }
        if (note_gap() < yield_every_) return false;
        const bool ran = inner_.do_events();
        counts_.last = std::chrono::steady_clock::now();
        return ran;
    }
    void message_box(std::string_view text, std::string_view caption, int flags) override {
        inner_.message_box(text, caption, flags);
    }
    platform::ScreenSize screen_size() const override { return inner_.screen_size(); }
    platform::AppInfo app_info() const override {
        platform::AppInfo info = inner_.app_info();
        if (folder_) info.path = *folder_;
        return info;
    }
    int run() override { return inner_.run(); }
    [[noreturn]] void end() override {
        inner_.end();
        std::abort();  // end() does not return; this tells the compiler so
    }

private:
    // The time since `last`, noted if it is the longest; with no trial it
    // restarts the stretch.
    std::chrono::steady_clock::duration note_gap() {
        const auto now = std::chrono::steady_clock::now();
        const auto gap = now - counts_.last;
        counts_.longest_gap_ms = std::max(counts_.longest_gap_ms,
                                          std::chrono::duration<double, std::milli>(gap).count());
        if (yield_every_.count() == 0) counts_.last = now;
        return gap;
    }

    platform::Toolkit& inner_;
    ToolkitCounts counts_;
    std::optional<std::string> folder_;
    std::chrono::microseconds yield_every_{0};
    std::function<void()> on_window_made_;
};

}  // namespace vorlix::bench
