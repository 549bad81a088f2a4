#include "adapters/win32/win32_toolkit.h"

#include <cmath>
#include <string>
#include <vector>

#include "adapters/win32/resource.h"
#include "adapters/win32/win32_text.h"
#include "adapters/win32/win32_window_system.h"

namespace vorlix::platform::win32 {

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

namespace {

constexpr wchar_t kMainClass[] = L"VorlixMain";
constexpr wchar_t kPanelClass[] = L"VorlixWindowList";
constexpr wchar_t kTimerClass[] = L"VorlixTimer";

constexpr Colour kRed = 0x0000FF;
constexpr Colour kLightYellow = 0xC0FFFF;
constexpr Colour kNearWhite = 0xFDFDFD;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kDesignLamp = 0x00FFFF;

enum ControlId : int {
    kImage1 = 100,
    kTextTitle,
    kCommandAdd,
    kCommandWindow,
    kListTitle,
    kCommandRemove,
    kCommandTimerS,
    kCommandTimer,
    kShapeStatus,
    kLabelStatus,
    kListWindow = 200,
    kCheckIWindows,
    kCheckAutostart,
    kLine1,
    kNotice,
    kLine2,
    kLabelSite,
};

struct Bounds {
    float left, top, width, height;
};

int shift_state() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

std::wstring window_text(HWND h) {
    const int n = GetWindowTextLengthW(h);
    if (n <= 0) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, text.data(), n + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// Draws `bitmap` stretched over `area` of `dc`.
void draw_bitmap(HDC dc, HBITMAP bitmap, const RECT& area) {
    if (bitmap == nullptr) return;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, 0,
               0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// A list box whose entries only change through the behaviour's calls.
class Win32ListBox final : public ListBoxView {
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

// What both windows have in common: the window, its controls at twips
// bounds, the hand cursor over some of them, and the outer geometry.
class Form {
public:
    explicit Form(const Resources& res) : res_(res) {}
    virtual ~Form() {
        if (hwnd_ != nullptr) {
            // From here on the window's messages no longer reach this object.
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            form->hwnd_ = h;
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        }
        auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (form == nullptr) return DefWindowProcW(h, msg, wp, lp);
        return form->on_message(msg, wp, lp);
    }

protected:
    virtual LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) = 0;

    LRESULT standard(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

    void create(const wchar_t* window_class, DWORD style, DWORD ex_style, int outer_width,
                int outer_height) {
        CreateWindowExW(ex_style, window_class, L"", style, 0, 0, outer_width, outer_height,
                        nullptr, nullptr, res_.instance, this);
    }

    // The outer width for a client area `client_width` twips wide.
    int outer_width_for(float client_width, DWORD style, DWORD ex_style) const {
        RECT r{0, 0, res_.px_x(client_width), 100};
        AdjustWindowRectEx(&r, style, FALSE, ex_style);
        return r.right - r.left;
    }
    int outer_height_for(float client_height, DWORD style, DWORD ex_style) const {
        RECT r{0, 0, 100, res_.px_y(client_height)};
        AdjustWindowRectEx(&r, style, FALSE, ex_style);
        return r.bottom - r.top;
    }

    HWND add(const wchar_t* control_class, const wchar_t* text, DWORD style, int id, Bounds b,
             bool hand, HFONT font) {
        HWND h = CreateWindowExW(
            0, control_class, text, WS_CHILD | WS_VISIBLE | style, res_.px_x(b.left),
            res_.px_y(b.top), res_.px_x(b.width), res_.px_y(b.height), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), res_.instance, nullptr);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (hand) hand_controls_.push_back(h);
        return h;
    }

    // The hand cursor over the controls that carry it.
    bool set_cursor(WPARAM wp, LPARAM lp) {
        if (LOWORD(lp) != HTCLIENT) return false;
        for (HWND h : hand_controls_) {
            if (reinterpret_cast<HWND>(wp) == h) {
                SetCursor(res_.hand);
                return true;
            }
        }
        return false;
    }

    RECT outer() const {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return r;
    }
    float outer_left() const { return res_.twips_x(outer().left); }
    float outer_top() const { return res_.twips_y(outer().top); }
    float outer_width() const {
        const RECT r = outer();
        return res_.twips_x(r.right - r.left);
    }
    float outer_height() const {
        const RECT r = outer();
        return res_.twips_y(r.bottom - r.top);
    }
    void place(int x, int y, int w, int h, UINT flags) {
        SetWindowPos(hwnd_, nullptr, x, y, w, h, flags | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const Resources& res_;
    HWND hwnd_ = nullptr;

private:
    std::vector<HWND> hand_controls_;
};

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kMainExStyle = 0;

class MainWindow final : public Form, public MainWindowView {
public:
    MainWindow(const Resources& res, MainWindowEvents& events) : Form(res), events_(events) {
        status_brush_ = CreateSolidBrush(kLightYellow);
        create(kMainClass, kMainStyle, kMainExStyle,
               outer_width_for(5970, kMainStyle, kMainExStyle),
               outer_height_for(4425, kMainStyle, kMainExStyle));
        const DWORD picture = SS_OWNERDRAW | SS_NOTIFY;
        add(L"STATIC", L"", SS_OWNERDRAW, kImage1, {840, 60, 4350, 465}, false, res_.font);
        text_title_ = add(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kTextTitle,
                          {120, 600, 3735, 285}, false, res_.font);
        add(L"STATIC", L"", picture, kCommandAdd, {3960, 600, 915, 315}, true, res_.font);
        command_window_ = add(L"BUTTON", L">>  <<", WS_TABSTOP | BS_PUSHBUTTON, kCommandWindow,
                              {5115, 615, 630, 330}, true, res_.font);
        title_list_.attach(
            add(L"LISTBOX", L"",
                WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, kListTitle,
                {120, 1080, 5775, 2400}, true, res_.font));
        add(L"STATIC", L"", picture, kCommandRemove, {720, 3600, 1590, 330}, true, res_.font);
        suspended_ =
            add(L"STATIC", L"", picture, kCommandTimerS, {3000, 3600, 2235, 435}, true, res_.font);
        ShowWindow(suspended_, SW_HIDE);
        active_ =
            add(L"STATIC", L"", picture, kCommandTimer, {3600, 3600, 1380, 435}, true, res_.font);
        lamp_control_ = add(L"STATIC", L"", SS_OWNERDRAW, kShapeStatus, {5400, 3660, 255, 255},
                            false, res_.font);
        status_ = add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kLabelStatus, {240, 4080, 5535, 255},
                      false, res_.font);

        // Tab order: the title field, the title list, then the panel button.
        SetWindowPos(title_list_hwnd(), text_title_, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

        // Return is handled on key-down, so the edit control is subclassed.
        SetWindowLongPtrW(text_title_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        edit_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            text_title_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::title_proc)));
    }

    ~MainWindow() override {
        SetWindowLongPtrW(text_title_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_proc_));
        SetWindowLongPtrW(text_title_, GWLP_USERDATA, 0);
        if (hwnd_ != nullptr) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
        DeleteObject(status_brush_);
    }

    HWND hwnd() const { return hwnd_; }
    HWND title_list_hwnd() const { return title_list_.hwnd(); }

    void set_caption(std::string_view caption) override {
        SetWindowTextW(hwnd_, widen(caption).c_str());
    }
    float left() const override { return outer_left(); }
    float top() const override { return outer_top(); }
    float width() const override { return outer_width(); }
    float height() const override { return outer_height(); }
    void move(float left, float top) override {
        place(res_.px_x(left), res_.px_y(top), 0, 0, SWP_NOSIZE);
    }
    void show() override {
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }

    std::string title_text() const override { return narrow(window_text(text_title_)); }
    void set_title_text(std::string_view text) override {
        SetWindowTextW(text_title_, widen(text).c_str());
    }
    ListBoxView& title_list() override { return title_list_; }
    void set_lamp(Colour colour) override {
        lamp_ = colour;
        InvalidateRect(lamp_control_, nullptr, FALSE);
    }
    void set_status(std::string_view text) override {
        SetWindowTextW(status_, widen(text).c_str());
    }
    void set_active_picture_visible(bool visible) override {
        ShowWindow(active_, visible ? SW_SHOW : SW_HIDE);
    }
    void set_suspended_picture_visible(bool visible) override {
        ShowWindow(suspended_, visible ? SW_SHOW : SW_HIDE);
    }
    void set_window_button_caption(std::string_view caption) override {
        SetWindowTextW(command_window_, widen(caption).c_str());
    }

private:
    static LRESULT CALLBACK title_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self == nullptr) return DefWindowProcW(h, msg, wp, lp);
        const WNDPROC original = self->edit_proc_;
        if (msg == WM_GETDLGCODE) {
            // Return belongs to the title field, not to the window's keyboard
            // navigation.
            LRESULT code = CallWindowProcW(original, h, msg, wp, lp);
            const auto* key = reinterpret_cast<const MSG*>(lp);
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        if (msg == WM_KEYDOWN) {
            self->events_.Text_Title_KeyDown(static_cast<int>(wp), shift_state());
        } else if (msg == WM_CHAR && wp == L'\r') {
            return 0;  // a single-line edit would only beep
        }
        return CallWindowProcW(original, h, msg, wp, lp);
    }

    void paint_background(HDC dc) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const RECT picture{0, 0, res_.px_x(438 * 15), res_.px_y(337 * 15)};
        draw_bitmap(dc, res_.background, picture);
    }

    void draw_item(const DRAWITEMSTRUCT& item) {
        switch (item.CtlID) {
            case kImage1:
                draw_bitmap(item.hDC, res_.banner, item.rcItem);
                break;
            case kCommandAdd:
                draw_bitmap(item.hDC, res_.add, item.rcItem);
                break;
            case kCommandRemove:
                draw_bitmap(item.hDC, res_.remove, item.rcItem);
                break;
            case kCommandTimer:
                draw_bitmap(item.hDC, res_.active, item.rcItem);
                break;
            case kCommandTimerS:
                draw_bitmap(item.hDC, res_.suspended, item.rcItem);
                break;
            case kShapeStatus:
                draw_lamp(item);
                break;
            default:
                break;
        }
    }

    // The lamp is a filled circle on the window's own background.
    void draw_lamp(const DRAWITEMSTRUCT& item) {
        POINT at{0, 0};
        MapWindowPoints(item.hwndItem, hwnd_, &at, 1);
        POINT old_origin{};
        SetViewportOrgEx(item.hDC, -at.x, -at.y, &old_origin);
        paint_background(item.hDC);
        SetViewportOrgEx(item.hDC, old_origin.x, old_origin.y, nullptr);
        HBRUSH fill = CreateSolidBrush(lamp_);
        HGDIOBJ old_brush = SelectObject(item.hDC, fill);
        HGDIOBJ old_pen = SelectObject(item.hDC, GetStockObject(BLACK_PEN));
        Ellipse(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
        SelectObject(item.hDC, old_pen);
        SelectObject(item.hDC, old_brush);
        DeleteObject(fill);
    }

    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_ERASEBKGND:
                paint_background(reinterpret_cast<HDC>(wp));
                return 1;
            case WM_DRAWITEM:
                draw_item(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
                return TRUE;
            case WM_CTLCOLORSTATIC:
                if (reinterpret_cast<HWND>(lp) == status_) {
                    auto dc = reinterpret_cast<HDC>(wp);
                    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                    SetBkColor(dc, kLightYellow);
                    return reinterpret_cast<LRESULT>(status_brush_);
                }
                break;
            case WM_SETCURSOR:
                if (set_cursor(wp, lp)) return TRUE;
                break;
            case WM_COMMAND:
                on_command(LOWORD(wp), HIWORD(wp));
                return 0;
            case WM_CLOSE: {
                int cancel = 0;
                events_.Form_Unload(cancel);
                // Closing the main window ends the program when nobody keeps it.
                if (cancel == 0) ExitProcess(0);
                return 0;
            }
            default:
                break;
        }
        return standard(msg, wp, lp);
    }

    void on_command(int id, int code) {
        switch (id) {
            case kCommandAdd:
                if (code == STN_CLICKED) events_.Command_ADD_Click();
                break;
            case kCommandRemove:
                if (code == STN_CLICKED) events_.Command_REMOVE_Click();
                break;
            case kCommandTimer:
                if (code == STN_CLICKED) events_.Command_Timer_Click();
                break;
            case kCommandTimerS:
                if (code == STN_CLICKED) events_.Command_TimerS_Click();
                break;
            case kCommandWindow:
                if (code == BN_CLICKED) events_.Command_Window_Click();
                break;
            case kListTitle:
                if (code == LBN_SELCHANGE) events_.List_Title_Click();
                break;
            default:
                break;
        }
    }

    MainWindowEvents& events_;
    HWND text_title_ = nullptr;
    HWND command_window_ = nullptr;
    HWND active_ = nullptr;
    HWND suspended_ = nullptr;
    HWND lamp_control_ = nullptr;
    HWND status_ = nullptr;
    Win32ListBox title_list_;
    WNDPROC edit_proc_ = nullptr;
    HBRUSH status_brush_ = nullptr;
    Colour lamp_ = kDesignLamp;
};

constexpr DWORD kPanelStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kPanelExStyle = WS_EX_TOOLWINDOW;

class Panel final : public Form, public PanelView {
public:
    Panel(const Resources& res, PanelEvents& events) : Form(res), events_(events) {
        red_brush_ = CreateSolidBrush(kRed);
        create(kPanelClass, kPanelStyle, kPanelExStyle,
               outer_width_for(5175, kPanelStyle, kPanelExStyle), res_.px_y(3750));
        SetWindowTextW(hwnd_, L"Vorlix - Window List");
        window_list_.attach(
            add(L"LISTBOX", L"",
                WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                kListWindow, {120, 120, 4935, 1815}, true, res_.font));
        check_iwindows_ =
            add(L"BUTTON", L"Display only Internet Windows", WS_TABSTOP | BS_AUTOCHECKBOX,
                kCheckIWindows, {240, 2040, 3015, 255}, true, res_.bold_font);
        SendMessageW(check_iwindows_, BM_SETCHECK, BST_CHECKED, 0);
        autostart_ = add(L"BUTTON", L"Autostart", WS_TABSTOP | BS_AUTOCHECKBOX, kCheckAutostart,
                         {3720, 2040, 1215, 255}, true, res_.bold_font);
        add(L"STATIC", L"", SS_ETCHEDHORZ, kLine1, {120, 2400, 4920, 30}, false, res_.font);
        notice_ = add(L"STATIC", L"", SS_CENTER | SS_NOPREFIX, kNotice, {240, 2520, 4695, 255},
                      false, res_.bold_font);
        add(L"STATIC", L"", SS_ETCHEDHORZ, kLine2, {120, 3060, 4920, 30}, false, res_.font);
        site_ = add(L"STATIC", L"", SS_CENTER | SS_NOPREFIX | SS_NOTIFY, kLabelSite,
                    {240, 3150, 4695, 255}, true, res_.bold_font);
    }

    ~Panel() override {
        if (gone_ != nullptr) *gone_ = true;
        if (hwnd_ != nullptr) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
        DeleteObject(red_brush_);
    }

    float left() const override { return outer_left(); }
    float top() const override { return outer_top(); }
    float width() const override { return outer_width(); }
    float height() const override { return outer_height(); }
    void set_left(float left) override { place(res_.px_x(left), outer().top, 0, 0, SWP_NOSIZE); }
    void set_top(float top) override { place(outer().left, res_.px_y(top), 0, 0, SWP_NOSIZE); }
    void set_height(float height) override {
        const RECT r = outer();
        place(0, 0, r.right - r.left, res_.px_y(height), SWP_NOMOVE);
    }
    bool visible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    void show() override {
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
    }
    void hide() override { ShowWindow(hwnd_, SW_HIDE); }
    WindowId window_id() const override { return to_id(hwnd_); }

    ListBoxView& window_list() override { return window_list_; }
    int Check_IWindows_value() const override {
        return static_cast<int>(SendMessageW(check_iwindows_, BM_GETCHECK, 0, 0));
    }
    int autostart_value() const override {
        return static_cast<int>(SendMessageW(autostart_, BM_GETCHECK, 0, 0));
    }
    void set_autostart_value(int value) override {
        if (value == autostart_value()) return;
        SendMessageW(autostart_, BM_SETCHECK, static_cast<WPARAM>(value), 0);
        // A change made by the program is a click as well.
        events_.Check_Autostart_Click();
    }
    void set_notice(std::string_view text) override {
        SetWindowTextW(notice_, widen(text).c_str());
    }
    void set_site_caption(std::string_view text) override {
        SetWindowTextW(site_, widen(text).c_str());
    }

private:
    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
            case WM_ERASEBKGND: {
                RECT client{};
                GetClientRect(hwnd_, &client);
                FillRect(reinterpret_cast<HDC>(wp), &client, red_brush_);
                return 1;
            }
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN: {
                auto control = reinterpret_cast<HWND>(lp);
                if (control == window_list_.hwnd()) break;
                auto dc = reinterpret_cast<HDC>(wp);
                const bool box = control == check_iwindows_ || control == autostart_;
                SetTextColor(dc, box ? kNearWhite : kWhite);
                SetBkColor(dc, kRed);
                return reinterpret_cast<LRESULT>(red_brush_);
            }
            case WM_SETCURSOR:
                if (set_cursor(wp, lp)) return TRUE;
                break;
            case WM_COMMAND:
                // Each handler may end with this object gone: nothing after it.
                switch (LOWORD(wp)) {
                    case kListWindow:
                        if (HIWORD(wp) == LBN_SELCHANGE) events_.List_Window_Click();
                        return 0;
                    case kCheckAutostart:
                        if (HIWORD(wp) == BN_CLICKED) events_.Check_Autostart_Click();
                        return 0;
                    case kLabelSite:
                        if (HIWORD(wp) == STN_CLICKED) events_.Label_Site_Click();
                        return 0;
                    default:
                        return 0;
                }
            case WM_CLOSE: {
                int cancel = 0;
                bool gone = false;
                gone_ = &gone;
                events_.Form_Unload(cancel);
                if (gone) return 0;
                gone_ = nullptr;
                // Nobody let the view go: the window goes out of sight anyway.
                if (cancel == 0) ShowWindow(hwnd_, SW_HIDE);
                return 0;
            }
            default:
                break;
        }
        return standard(msg, wp, lp);
    }

    PanelEvents& events_;
    Win32ListBox window_list_;
    HWND check_iwindows_ = nullptr;
    HWND autostart_ = nullptr;
    HWND notice_ = nullptr;
    HWND site_ = nullptr;
    HBRUSH red_brush_ = nullptr;
    bool* gone_ = nullptr;
};

// Each timer has a message-only window of its own, so that stopping one
// timer can drop its pending tick without touching the others'.
class Win32Timer final : public Timer {
public:
    Win32Timer(HINSTANCE instance, std::function<void()> on_tick) : on_tick_(std::move(on_tick)) {
        window_ = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Win32Timer() override {
        stop();
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    void set_interval(int ms) override {
        interval_ = ms < 0 ? 0 : ms;
        if (enabled_) start();
    }
    int interval() const override { return interval_; }
    void set_enabled(bool enabled) override {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        if (enabled_) {
            start();
        } else {
            stop();
        }
    }
    bool enabled() const override { return enabled_; }

    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Win32Timer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg != WM_TIMER || self == nullptr) return DefWindowProcW(h, msg, wp, lp);
        if (self->enabled_ && self->interval_ > 0) {
            // The handler may destroy this timer; it runs from a copy.
            const std::function<void()> tick = self->on_tick_;
            tick();
        }
        return 0;
    }

private:
    static constexpr UINT_PTR kId = 1;

    void start() {
        stop();
        if (interval_ > 0) SetTimer(window_, kId, static_cast<UINT>(interval_), nullptr);
    }
    void stop() {
        KillTimer(window_, kId);
        MSG pending;
        while (PeekMessageW(&pending, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        }
    }

    std::function<void()> on_tick_;
    HWND window_ = nullptr;
    int interval_ = 0;
    bool enabled_ = false;
};

ATOM register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon,
                    HICON small_icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = small_icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (const ATOM atom = RegisterClassExW(&wc); atom != 0) return atom;
    // Registered by an earlier toolkit of this process.
    return static_cast<ATOM>(GetClassInfoExW(instance, name, &wc));
}

HBITMAP load_bitmap(HINSTANCE instance, int id) {
    return static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

}  // namespace

Win32Toolkit::Win32Toolkit() {
    res_.instance = GetModuleHandleW(nullptr);
    if (HDC screen = GetDC(nullptr)) {
        res_.dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
        res_.dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    if (res_.dpi_x <= 0) res_.dpi_x = 96;
    if (res_.dpi_y <= 0) res_.dpi_y = 96;
    res_.icon = static_cast<HICON>(LoadImageW(res_.instance, MAKEINTRESOURCEW(IDI_VORLIX),
                                              IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    res_.small_icon = static_cast<HICON>(LoadImageW(res_.instance, MAKEINTRESOURCEW(IDI_VORLIX),
                                                    IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    res_.hand = static_cast<HCURSOR>(LoadImageW(res_.instance, MAKEINTRESOURCEW(IDC_VORLIX_HAND),
                                                IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
    if (res_.hand == nullptr) res_.hand = LoadCursorW(nullptr, IDC_HAND);
    res_.background = load_bitmap(res_.instance, IDB_VORLIX_BACKGROUND);
    res_.banner = load_bitmap(res_.instance, IDB_VORLIX_BANNER);
    res_.add = load_bitmap(res_.instance, IDB_VORLIX_ADD);
    res_.remove = load_bitmap(res_.instance, IDB_VORLIX_REMOVE);
    res_.active = load_bitmap(res_.instance, IDB_VORLIX_ACTIVE);
    res_.suspended = load_bitmap(res_.instance, IDB_VORLIX_SUSPENDED);
    // The classic forms font, 8 points, and its bold cut for the panel.
    LOGFONTW face{};
    face.lfHeight = -MulDiv(8, res_.dpi_y, 72);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(face.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    res_.font = CreateFontIndirectW(&face);
    face.lfWeight = FW_BOLD;
    res_.bold_font = CreateFontIndirectW(&face);

    main_class_ =
        register_class(res_.instance, kMainClass, &Form::proc, res_.icon, res_.small_icon);
    panel_class_ =
        register_class(res_.instance, kPanelClass, &Form::proc, res_.icon, res_.small_icon);
    register_class(res_.instance, kTimerClass, &Win32Timer::proc, nullptr, nullptr);
}

Win32Toolkit::~Win32Toolkit() {
    // The classes refer to the icons freed below.
    for (const wchar_t* name : {kMainClass, kPanelClass, kTimerClass}) {
        UnregisterClassW(name, res_.instance);
    }
    for (HBITMAP b :
         {res_.background, res_.banner, res_.add, res_.remove, res_.active, res_.suspended}) {
        if (b != nullptr) DeleteObject(b);
    }
    for (HFONT f : {res_.font, res_.bold_font}) {
        if (f != nullptr) DeleteObject(f);
    }
    for (HICON i : {res_.icon, res_.small_icon}) {
        if (i != nullptr) DestroyIcon(i);
    }
}

std::unique_ptr<MainWindowView> Win32Toolkit::create_main_window(MainWindowEvents& events) {
    auto window = std::make_unique<MainWindow>(res_, events);
    main_window_ = window->hwnd();
    return window;
}

std::unique_ptr<PanelView> Win32Toolkit::create_panel(PanelEvents& events) {
    return std::make_unique<Panel>(res_, events);
}

std::unique_ptr<Timer> Win32Toolkit::create_timer(std::function<void()> on_tick) {
    return std::make_unique<Win32Timer>(res_.instance, std::move(on_tick));
}

void Win32Toolkit::dispatch(MSG& msg) {
    // Tab and the arrow keys move between the controls of our two windows.
    if (HWND root = GetAncestor(msg.hwnd, GA_ROOT); root != nullptr) {
        const auto atom = static_cast<ATOM>(GetClassLongPtrW(root, GCW_ATOM));
        if ((atom == main_class_ || atom == panel_class_) && IsDialogMessageW(root, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Win32Toolkit::do_events() {
    if (!pacer_.due()) return;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the message loop that is waiting for it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

void Win32Toolkit::message_box(std::string_view text, std::string_view caption, int flags) {
    HWND owner = IsWindow(main_window_) ? main_window_ : nullptr;
    (void)MessageBoxW(owner, widen(text).c_str(), widen(caption).c_str(), static_cast<UINT>(flags));
}

ScreenSize Win32Toolkit::screen_size() const {
    return {res_.twips_x(GetSystemMetrics(SM_CXSCREEN)),
            res_.twips_y(GetSystemMetrics(SM_CYSCREEN))};
}

AppInfo Win32Toolkit::app_info() const {
    std::wstring module(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
        if (n < module.size()) {
            module.resize(n);
            break;
        }
        module.resize(module.size() * 2);
    }
    AppInfo info;
    info.separator = '\\';
    info.exe_suffix = ".exe";
    const auto slash = module.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? module : module.substr(slash + 1);
    info.path = narrow(slash == std::wstring::npos ? std::wstring() : module.substr(0, slash));
    if (const auto dot = file.find_last_of(L'.'); dot != std::wstring::npos) file.resize(dot);
    info.exe_name = narrow(file);
    return info;
}

int Win32Toolkit::run() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
    return static_cast<int>(msg.wParam);
}

void Win32Toolkit::end() {
    // Every file is already written: nothing is left to flush.
    ExitProcess(0);
}

}  // namespace vorlix::platform::win32
