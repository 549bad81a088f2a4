// The forms toolkit with native user32 controls: it loads what both windows
// share, makes the windows and timers, and runs the message loop; and the
// application's facts.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "adapters/win32/win32_form.h"
#include "platform/toolkit.h"
#include "platform/yield_pacer.h"

namespace vorlix::adapters::win32 {

class Win32Toolkit final : public platform::Toolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

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
    // The user's application-data folder for Vorlix (%APPDATA%\\Vorlix);
    // empty when Windows names none.
    static std::string user_data_folder();
    int run() override;
    [[noreturn]] void end() override;

    const Resources& resources() const { return res_; }

private:
    void dispatch(MSG& msg);

    Resources res_;
    ATOM main_class_ = 0;
    ATOM panel_class_ = 0;
    // The owner of message boxes: the last main window made.
    HWND main_window_ = nullptr;
    platform::YieldPacer pacer_;
    std::optional<std::string> data_folder_;
    bool com_ = false;
};

}  // namespace vorlix::adapters::win32
