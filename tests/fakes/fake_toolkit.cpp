#include "fake_toolkit.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace vorlix::test {

// --- FakeListBox ---

void FakeListBox::insert(int pos, std::string_view text) {
    if (pos < 0 || pos > static_cast<int>(items_.size())) {
        throw std::out_of_range("list insert at " + std::to_string(pos));
    }
    items_.insert(items_.begin() + pos, std::string(text));
    if (selected_ >= pos) ++selected_;
}

void FakeListBox::remove(int pos) {
    if (pos < 0 || pos >= static_cast<int>(items_.size())) {
        throw std::out_of_range("list remove at " + std::to_string(pos));
    }
    items_.erase(items_.begin() + pos);
    if (selected_ == pos) {
        selected_ = -1;
    } else if (selected_ > pos) {
        --selected_;
    }
}

void FakeListBox::clear() {
    items_.clear();
    selected_ = -1;
    ++clear_count_;
}

// --- FakeMainWindow ---

FakeMainWindow::FakeMainWindow(FakeToolkit& toolkit, platform::MainWindowEvents& events)
    : toolkit_(toolkit), events_(events) {
    toolkit_.main_ = this;
}

FakeMainWindow::~FakeMainWindow() {
    if (toolkit_.main_ == this) toolkit_.main_ = nullptr;
}

void FakeMainWindow::move(float left, float top) {
    left_ = left;
    top_ = top;
    ++move_count_;
}

void FakeMainWindow::show() {
    shown_ = true;
}

void FakeMainWindow::set_lamp(platform::Colour colour) {
    lamp_ = colour;
    lamp_history_.push_back(colour);
}

void FakeMainWindow::select_title(int pos) {
    title_list_.set_selected(pos);
    events_.List_Title_Click();
}

int FakeMainWindow::close() {
    int cancel = 0;
    events_.Form_Unload(cancel);
    return cancel;
}

// --- FakePanel ---

FakePanel::FakePanel(FakeToolkit& toolkit, platform::PanelEvents& events, platform::WindowId id)
    : toolkit_(toolkit), events_(events), id_(id) {
    toolkit_.panel_ = this;
}

FakePanel::~FakePanel() {
    if (toolkit_.panel_ == this) toolkit_.panel_ = nullptr;
}

void FakePanel::show() {
    visible_ = true;
    ++show_count_;
}

void FakePanel::set_autostart_value(int value) {
    ++autostart_sets_;
    if (value == autostart_) return;
    autostart_ = value;
    events_.Check_Autostart_Click();
}

void FakePanel::click_autostart() {
    autostart_ = autostart_ == 1 ? 0 : 1;
    events_.Check_Autostart_Click();
}

void FakePanel::select_window(int pos) {
    window_list_.set_selected(pos);
    events_.List_Window_Click();
}

void FakePanel::close() {
    int cancel = 0;
    events_.Form_Unload(cancel);
}

// --- FakeTimer ---

FakeTimer::FakeTimer(FakeToolkit& toolkit, std::function<void()> on_tick)
    : toolkit_(toolkit), on_tick_(std::move(on_tick)) {
    toolkit_.timers_.push_back(this);
}

FakeTimer::~FakeTimer() {
    auto& timers = toolkit_.timers_;
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void FakeTimer::set_enabled(bool enabled) {
    if (enabled && !enabled_) ++starts_;
    enabled_ = enabled;
}

bool FakeTimer::fire() {
    if (!enabled_ || interval_ <= 0 || toolkit_.ended_) return false;
    // Copied: the handler may destroy this timer.
    const auto tick = on_tick_;
    tick();
    return true;
}

// --- FakeToolkit ---

FakeToolkit::FakeToolkit() {
    app_.path = "/opt/vorlix";
    app_.exe_name = "vorlix";
    app_.separator = '/';
}

FakeToolkit::~FakeToolkit() = default;

std::unique_ptr<platform::MainWindowView> FakeToolkit::create_main_window(
    platform::MainWindowEvents& events) {
    return std::make_unique<FakeMainWindow>(*this, events);
}

std::unique_ptr<platform::PanelView> FakeToolkit::create_panel(platform::PanelEvents& events) {
    ++panels_created_;
    return std::make_unique<FakePanel>(*this, events, next_panel_id_);
}

std::unique_ptr<platform::Timer> FakeToolkit::create_timer(std::function<void()> on_tick) {
    return std::make_unique<FakeTimer>(*this, std::move(on_tick));
}

void FakeToolkit::do_events() {
    if (ended_) return;
    const long k = ++yields_;
    // Taken out first: an event may script more events or yield again.
    std::vector<std::function<void()>> due;
    for (auto [it, last] = scripted_.equal_range(k); it != last; ++it) due.push_back(it->second);
    scripted_.erase(k);
    for (auto& event : due) {
        if (ended_) return;
        event();
    }
    if (every_yield_ && !ended_) {
        const auto event = every_yield_;
        event();
    }
}

void FakeToolkit::on_yield(long k, std::function<void()> event) {
    scripted_.emplace(k, std::move(event));
}

void FakeToolkit::message_box(std::string_view text, std::string_view caption, int flags) {
    message_boxes_.push_back({std::string(text), std::string(caption), flags});
}

void FakeToolkit::end() {
    ended_ = true;
    throw ProgramEnded{};
}

}  // namespace vorlix::test
