// The forms toolkit with native user32 controls: the main window and the
// panel with their controls at their twips bounds, timers, the message loop
// and the application's facts.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "platform/toolkit.h"
#include "platform/yield_pacer.h"

namespace vorlix::platform::win32 {

// What both windows share: the module, the screen's dots per inch, the
// pictures, the hand cursor and the fonts. Owned by the toolkit.
struct Resources {
    HINSTANCE instance = nullptr;
    int dpi_x = 96;
    int dpi_y = 96;
    HICON icon = nullptr;
    HICON small_icon = nullptr;
    HCURSOR hand = nullptr;
    HBITMAP background = nullptr;
    HBITMAP banner = nullptr;
    HBITMAP add = nullptr;
    HBITMAP remove = nullptr;
    HBITMAP active = nullptr;
    HBITMAP suspended = nullptr;
    HFONT font = nullptr;
    HFONT bold_font = nullptr;

    int px_x(float twips) const;
    int px_y(float twips) const;
    float twips_x(int px) const;
    float twips_y(int px) const;
};

class Win32Toolkit final : public Toolkit {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    std::unique_ptr<MainWindowView> create_main_window(MainWindowEvents& events) override;
    std::unique_ptr<PanelView> create_panel(PanelEvents& events) override;
    std::unique_ptr<Timer> create_timer(std::function<void()> on_tick) override;
    void do_events() override;
    void message_box(std::string_view text, std::string_view caption, int flags) override;
    ScreenSize screen_size() const override;
    AppInfo app_info() const override;
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
    YieldPacer pacer_;
};

}  // namespace vorlix::platform::win32
