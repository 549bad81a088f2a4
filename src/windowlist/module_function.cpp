#include "windowlist/module_function.h"

namespace vorlix::windowlist {

void Dock_Window_List(const platform::MainWindowView& main, platform::PanelView& panel) {
    if (main.top() == panel.top()) return;
    panel.set_left(main.width() + main.left() + kDockGap);
    panel.set_top(main.top());
}

void Open_Web_Site(platform::CommandRunner& runner) {
    runner.open_url(kSiteAddress);
}

}  // namespace vorlix::windowlist
