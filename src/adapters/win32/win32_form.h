// What both windows share: the resources the toolkit loads once, and the
// form base (the window, its controls at their twips bounds from the layout
// table, the hand cursor over some of them, and the outer geometry).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/form_layout.h"

namespace vorlix::adapters::win32 {

inline constexpr wchar_t kMainClass[] = L"VorlixMain";
inline constexpr wchar_t kPanelClass[] = L"VorlixWindowList";
inline constexpr wchar_t kTimerClass[] = L"VorlixTimer";

// The first control id of each window; a control's id is this plus its
// place in the layout table.
inline constexpr int kMainFirstId = 100;
inline constexpr int kPanelFirstId = 200;

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

std::wstring window_text(HWND h);
// Draws `bitmap` stretched over `area` of `dc`; a 32-bit one, with its colours
// premultiplied by its alpha, is blended over what `dc` already shows.
void draw_bitmap(HDC dc, HBITMAP bitmap, const RECT& area);
// The dotted focus mark just inside an owner-drawn button that has the focus.
void draw_focus_mark(const DRAWITEMSTRUCT& item);
// An owner-drawn push button: named by its window text, a tab stop, pressed
// by a click, Space or Return.
inline constexpr DWORD kDrawnButton = BS_OWNERDRAW | WS_TABSTOP;

class Form {
public:
    explicit Form(const Resources& res) : res_(res) {}
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

protected:
    virtual LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) = 0;

    LRESULT standard(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }
    void create(const wchar_t* window_class, DWORD style, DWORD ex_style, int outer_width,
                int outer_height);
    // Lets the window go before its subclass's members do.
    void destroy();

    // The outer size for a client area so many twips wide or high.
    int outer_width_for(float client_width, DWORD style, DWORD ex_style) const;
    int outer_height_for(float client_height, DWORD style, DWORD ex_style) const;

    // Control `c` of the layout table, with id `id`, at its bounds.
    HWND add(const wchar_t* control_class, DWORD style, int id, const platform::layout::Control& c,
             bool hand, HFONT font);

    // The hand cursor over the controls that carry it.
    bool set_cursor(WPARAM wp, LPARAM lp);
    // Return on a focused push button (ours are not dialogs, so the keyboard
    // navigation turns it into IDOK) presses that button, as Space does.
    bool press_focused_button(WPARAM wp);
    // On activation the focus goes back to the control that had it (the
    // first tab stop at first), as in a dialog, so the keyboard works at once.
    bool keep_focus(UINT msg, WPARAM wp);
    // Orders the tab stops (z-order) as `order` lists them.
    void order_tabs(const HWND* order, std::size_t count);

    RECT outer() const;
    float outer_left() const { return res_.twips_x(outer().left); }
    float outer_top() const { return res_.twips_y(outer().top); }
    float outer_width() const;
    float outer_height() const;
    void place(int x, int y, int w, int h, UINT flags) {
        SetWindowPos(hwnd_, nullptr, x, y, w, h, flags | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const Resources& res_;
    HWND hwnd_ = nullptr;

private:
    std::vector<HWND> hand_controls_;
    HWND last_focus_ = nullptr;
};

}  // namespace vorlix::adapters::win32
