#include "fake_toolkit.h"

#include <algorithm>
#include <utility>

namespace vorlix::test {

FakeMainWindow::FakeMainWindow(FakeToolkit& owner, platform::MainWindowEvents& handlers)
    : toolkit(owner), events(handlers) {
    toolkit.main = this;
}

FakeMainWindow::~FakeMainWindow() {
    if (toolkit.main == this) toolkit.main = nullptr;
}

void FakeMainWindow::set_lamp(platform::Colour colour) {
    // Red is a scan's first step: red inside a nested tick is a nested scan.
    if (colour == 0xFF && toolkit.firing > 1) ++toolkit.nested_scans;
    lamp = colour;
}

FakePanel::FakePanel(FakeToolkit& owner, platform::PanelEvents& handlers)
    : toolkit(owner), events(handlers) {
    toolkit.panel = this;
}

FakePanel::~FakePanel() {
    if (toolkit.panel == this) toolkit.panel = nullptr;
}

FakeTimer::FakeTimer(FakeToolkit& owner, std::function<void()> tick)
    : toolkit(owner), on_tick(std::move(tick)) {
    toolkit.timers.push_back(this);
}

FakeTimer::~FakeTimer() {
    toolkit.timers.erase(std::find(toolkit.timers.begin(), toolkit.timers.end(), this));
}

bool FakeTimer::fire() {
    if (!on_ || interval_ms <= 0 || toolkit.ended) return false;
    // Copied: the handler may destroy this timer.
    FakeToolkit& tk = toolkit;
    const auto tick = on_tick;
    // The main window makes the scan timer first; only its ticks are counted.
    const int counted = tk.timers.front() == this ? 1 : 0;
    if ((tk.firing += counted) > 1) tk.nested_fires += counted;
    try {
        tick();
    } catch (...) {
        tk.firing -= counted;
        throw;
    }
    tk.firing -= counted;
    return true;
}

void FakeToolkit::do_events() {
    if (ended) return;
    const long k = ++yields;
    // Taken out first: an event may script more events or yield again.
    std::vector<std::function<void()>> due;
    for (auto [it, last] = scripted.equal_range(k); it != last; ++it) due.push_back(it->second);
    scripted.erase(k);
    for (auto& event : due) {
        if (!ended) event();
    }
    if (every_yield && !ended) {
        const auto event = every_yield;  // copied: it may replace itself
        event();
    }
}

}  // namespace vorlix::test
