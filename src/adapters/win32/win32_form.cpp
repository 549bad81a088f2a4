#include "adapters/win32/win32_form.h"

#include <cmath>

#include "adapters/win32/win32_text.h"

namespace vorlix::adapters::win32 {

int Resources::px_x(float twips) const {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi_x / 1440.0));
}
int Resources::px_y(float twips) const {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi_y / 1440.0));
}
float Resources::twips_x(int px) const {
    return static_cast<float>(static_cast<double>(px) * 1440.0 / dpi_x);
}
float Resources::twips_y(int px) const {
    return static_cast<float>(static_cast<double>(px) * 1440.0 / dpi_y);
}

std::wstring window_text(HWND h) {
    const int n = GetWindowTextLengthW(h);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, text.data(), n + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

void draw_bitmap(HDC dc, HBITMAP bitmap, const RECT& area) {
    if (bitmap == nullptr) return;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (info.bmBitsPixel == 32) {
        // Colours premultiplied by their alpha: blended over what is there,
        // edges anti-aliased against it.
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, area.left, area.top, width, height, memory, 0, 0, info.bmWidth,
                   info.bmHeight, blend);
    } else {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, area.left, area.top, width, height, memory, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

void draw_focus_mark(const DRAWITEMSTRUCT& item) {
    if ((item.itemState & ODS_FOCUS) == 0) return;
    RECT mark = item.rcItem;
    InflateRect(&mark, -1, -1);
    DrawFocusRect(item.hDC, &mark);
}

Form::~Form() {
    destroy();
}

void Form::destroy() {
    if (hwnd_ == nullptr) return;
    // From here on the window's messages no longer reach this object.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

LRESULT CALLBACK Form::proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        form->hwnd_ = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(h, msg, wp, lp);
    return form->on_message(msg, wp, lp);
}

void Form::create(const wchar_t* window_class, DWORD style, DWORD ex_style, int outer_width,
                  int outer_height) {
    CreateWindowExW(ex_style, window_class, L"", style, 0, 0, outer_width, outer_height, nullptr,
                    nullptr, res_.instance, this);
}

int Form::outer_width_for(float client_width, DWORD style, DWORD ex_style) const {
    RECT r{0, 0, res_.px_x(client_width), 100};
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
    return r.right - r.left;
}

int Form::outer_height_for(float client_height, DWORD style, DWORD ex_style) const {
    RECT r{0, 0, 100, res_.px_y(client_height)};
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
    return r.bottom - r.top;
}

HWND Form::add(const wchar_t* control_class, DWORD style, int id,
               const platform::layout::Control& c, bool hand, HFONT font) {
    const platform::layout::Bounds& b = c.bounds;
    HWND h = CreateWindowExW(
        0, control_class, widen(c.caption).c_str(), WS_CHILD | WS_VISIBLE | style,
        res_.px_x(b.left), res_.px_y(b.top), res_.px_x(b.width), res_.px_y(b.height), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), res_.instance, nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (hand) hand_controls_.push_back(h);
    return h;
}

bool Form::set_cursor(WPARAM wp, LPARAM lp) {
    if (LOWORD(lp) != HTCLIENT) return false;
    for (HWND h : hand_controls_) {
        if (reinterpret_cast<HWND>(wp) == h) {
            SetCursor(res_.hand);
            return true;
        }
    }
    return false;
}

bool Form::press_focused_button(WPARAM wp) {
    if (LOWORD(wp) != IDOK || HIWORD(wp) != 0) return false;
    HWND focus = GetFocus();
    if (GetParent(focus) != hwnd_ ||
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) == 0) {
        return false;
    }
    const LONG type = GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_OWNERDRAW) return false;
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

bool Form::keep_focus(UINT msg, WPARAM wp) {
    if (msg == WM_ACTIVATE && LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) last_focus_ = focus;
        return false;
    }
    if (msg != WM_SETFOCUS) return false;
    HWND to = last_focus_ != nullptr && IsWindowVisible(last_focus_) != FALSE
                  ? last_focus_
                  : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (to == nullptr) return false;
    SetFocus(to);
    return true;
}

void Form::order_tabs(const HWND* order, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        SetWindowPos(order[i], order[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

RECT Form::outer() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r;
}

float Form::outer_width() const {
    const RECT r = outer();
    return res_.twips_x(r.right - r.left);
}

float Form::outer_height() const {
    const RECT r = outer();
    return res_.twips_y(r.bottom - r.top);
}

}  // namespace vorlix::adapters::win32
