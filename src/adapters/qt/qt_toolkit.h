// The forms toolkit in Qt 6 Widgets. Controls carry their own names as
// object names (Text_Title, List_Window, ...), so that tests can reach them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/toolkit.h"
#include "platform/yield_pacer.h"

namespace vorlix::adapters::qt {

class QtToolkit : public platform::Toolkit {
public:
    // Needs a QApplication that outlives it.
    QtToolkit();
    ~QtToolkit() override;

    std::unique_ptr<platform::MainWindowView> create_main_window(
        platform::MainWindowEvents& events) override;
    std::unique_ptr<platform::PanelView> create_panel(platform::PanelEvents& events) override;
    std::unique_ptr<platform::Timer> create_timer(std::function<void()> on_tick) override;
    bool do_events() override;
    void message_box(std::string_view text, std::string_view caption, int flags) override;
    platform::ScreenSize screen_size() const override;
    platform::AppInfo app_info() const override;
    // Decided once at start-up; app_info() reports it from then on.
    void set_data_folder(std::string folder) { data_folder_ = std::move(folder); }
    int run() override;
    [[noreturn]] void end() override;

private:
    platform::YieldPacer pacer_;
    std::optional<std::string> data_folder_;
};

}  // namespace vorlix::adapters::qt
