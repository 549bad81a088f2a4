// The forms toolkit in Qt 6 Widgets. Controls carry their own names as
// object names (Text_Title, List_Window, ...), so that tests can reach them.
#pragma once

#include <memory>

#include "platform/toolkit.h"
#include "platform/yield_pacer.h"

namespace vorlix::platform::qt {

class QtToolkit : public Toolkit {
public:
    // Needs a QApplication that outlives it.
    QtToolkit();
    ~QtToolkit() override;

    std::unique_ptr<MainWindowView> create_main_window(MainWindowEvents& events) override;
    std::unique_ptr<PanelView> create_panel(PanelEvents& events) override;
    std::unique_ptr<Timer> create_timer(std::function<void()> on_tick) override;
    void do_events() override;
    void message_box(std::string_view text, std::string_view caption, int flags) override;
    ScreenSize screen_size() const override;
    AppInfo app_info() const override;
    int run() override;
    [[noreturn]] void end() override;

private:
    YieldPacer pacer_;
};

}  // namespace vorlix::platform::qt
