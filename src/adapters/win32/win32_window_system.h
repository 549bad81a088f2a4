// The top-level windows through user32. Titles are read with the wide
// functions so that no character is lost; look-ups by title are answered from
// a table of every top-level window's title, built at the start of each walk,
// because a FindWindow call per candidate title is a round trip to the window
// server each time.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/window_system.h"

namespace vorlix::platform::win32 {

inline HWND to_hwnd(WindowId w) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w));
}
inline WindowId to_id(HWND h) {
    return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(h));
}

// The title of `h` as this program reads titles: GetWindowTextW up to the
// first NUL, as UTF-8, normalised; empty when there is none.
std::string read_title(HWND h);

class Win32WindowSystem final : public WindowSystem {
public:
    WindowId first_top_level(WindowId from) override;
    WindowId next_top_level(WindowId w) override;
    bool is_visible(WindowId w) override;
    WindowId owner(WindowId w) override;
    std::string title(WindowId w) override;
    WindowId find_by_title(std::string_view title) override;
    void post_close(WindowId w) override;
    std::string notice() const override { return {}; }

    // Rebuilds the title table now (first_top_level does it too).
    void refresh_titles();

private:
    // Case-folded title to the windows that carry it, topmost first.
    std::unordered_map<std::string, std::vector<HWND>> by_title_;
    bool built_ = false;
};

}  // namespace vorlix::platform::win32
