#include "adapters/win32/win32_window_system.h"

#include <algorithm>

#include "adapters/win32/win32_text.h"
#include "base/text.h"

namespace vorlix::platform::win32 {

std::string read_title(HWND h) {
    const int length = GetWindowTextLengthW(h);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(h, buffer.data(), length + 1);
    if (copied < 1) return {};
    buffer.resize(static_cast<std::size_t>(std::min(copied, length)));
    // The text may be shorter than announced; it ends at its first NUL.
    if (const auto nul = buffer.find(L'\0'); nul != std::wstring::npos) buffer.resize(nul);
    return text::normalize_title(narrow(buffer));
}

namespace {

WindowId first_in_stacking_order(WindowId from) {
    HWND first = from != 0 ? GetWindow(to_hwnd(from), GW_HWNDFIRST)
                           : GetWindow(GetDesktopWindow(), GW_CHILD);
    return to_id(first);
}

}  // namespace

WindowId Win32WindowSystem::first_top_level(WindowId from) {
    refresh_titles();
    return first_in_stacking_order(from);
}

WindowId Win32WindowSystem::next_top_level(WindowId w) {
    return to_id(GetWindow(to_hwnd(w), GW_HWNDNEXT));
}

bool Win32WindowSystem::is_visible(WindowId w) {
    return IsWindowVisible(to_hwnd(w)) != FALSE;
}

WindowId Win32WindowSystem::owner(WindowId w) {
    return to_id(GetWindow(to_hwnd(w), GW_OWNER));
}

std::string Win32WindowSystem::title(WindowId w) {
    return read_title(to_hwnd(w));
}

void Win32WindowSystem::refresh_titles() {
    by_title_.clear();
    // EnumWindows hands the top-level windows over in stacking order, so the
    // first window stored under a title is the one FindWindow would return.
    EnumWindows(
        [](HWND h, LPARAM param) -> BOOL {
            auto& table =
                *reinterpret_cast<std::unordered_map<std::string, std::vector<HWND>>*>(param);
            table[text::fold_case(read_title(h))].push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&by_title_));
    built_ = true;
}

WindowId Win32WindowSystem::find_by_title(std::string_view title) {
    if (!built_) refresh_titles();
    const std::string key = text::fold_case(title);
    const auto it = by_title_.find(key);
    if (it == by_title_.end()) return 0;
    auto& windows = it->second;
    // The table is as old as the last walk: a window may have closed or been
    // renamed since. Checking a hit costs one call and hits are rare.
    while (!windows.empty()) {
        HWND h = windows.front();
        if (IsWindow(h) && text::fold_case(read_title(h)) == key) return to_id(h);
        windows.erase(windows.begin());
    }
    by_title_.erase(it);
    return 0;
}

void Win32WindowSystem::post_close(WindowId w) {
    PostMessageW(to_hwnd(w), WM_CLOSE, 0, 0);
}

}  // namespace vorlix::platform::win32
