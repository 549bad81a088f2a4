// A native list box whose entries only change through the behaviour's calls
// (the control is made without LBS_SORT).
#pragma once

#include <windows.h>

#include "adapters/win32/win32_text.h"
#include "platform/toolkit.h"

namespace vorlix::adapters::win32 {

class Win32ListBox final : public platform::ListBoxView {
public:
    void attach(HWND h) { h_ = h; }
    HWND hwnd() const { return h_; }

    void insert(int pos, std::string_view text) override {
        SendMessageW(h_, LB_INSERTSTRING, static_cast<WPARAM>(pos),
                     reinterpret_cast<LPARAM>(widen(text).c_str()));
    }
    void remove(int pos) override {
        SendMessageW(h_, LB_DELETESTRING, static_cast<WPARAM>(pos), 0);
    }
    void clear() override { SendMessageW(h_, LB_RESETCONTENT, 0, 0); }
    int selected() const override {
        const LRESULT i = SendMessageW(h_, LB_GETCURSEL, 0, 0);
        return i == LB_ERR ? -1 : static_cast<int>(i);
    }
    void focus() override { SetFocus(h_); }

private:
    HWND h_ = nullptr;
};

// The style of both windows' list boxes.
inline constexpr DWORD kListBoxStyle =
    WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

}  // namespace vorlix::adapters::win32
