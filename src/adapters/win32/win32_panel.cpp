// The panel: a red tool window with the window list, two check boxes, the
// notice and the site link.
#include "adapters/win32/win32_accessible.h"
#include "adapters/win32/win32_forms.h"
#include "adapters/win32/win32_list_box.h"
#include "adapters/win32/win32_text.h"
#include "adapters/win32/win32_window_system.h"

namespace vorlix::adapters::win32 {
namespace {

using namespace platform::layout;

constexpr platform::Colour kRed = 0x0000FF;
constexpr platform::Colour kNearWhite = 0xFDFDFD;
constexpr platform::Colour kWhite = 0xFFFFFF;
constexpr DWORD kPanelStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kPanelExStyle = WS_EX_TOOLWINDOW;

class Panel final : public Form, public platform::PanelView {
public:
    Panel(const Resources& res, platform::PanelEvents& events) : Form(res), events_(events) {
        red_brush_ = CreateSolidBrush(kRed);
        create(kPanelClass, kPanelStyle, kPanelExStyle,
               outer_width_for(kPanelWidth, kPanelStyle, kPanelExStyle), res_.px_y(kPanelHeight));
        SetWindowTextW(hwnd_, widen(kPanelCaption).c_str());
        window_list_.attach(add(L"LISTBOX", kListBoxStyle, List_Window, true, res_.font));
        list_name_.name = widen(kPanel[List_Window].spoken);
        annotate(window_list_.hwnd(), &list_name_);
        const DWORD check_box = WS_TABSTOP | BS_AUTOCHECKBOX;
        check_iwindows_ = add(L"BUTTON", check_box, Check_IWindows, true, res_.bold_font);
        SendMessageW(check_iwindows_, BM_SETCHECK, BST_CHECKED, 0);
        autostart_ = add(L"BUTTON", check_box, Check_Autostart, true, res_.bold_font);
        add(L"STATIC", SS_ETCHEDHORZ, Line1, false, res_.font);
        notice_ = add(L"STATIC", SS_CENTER | SS_NOPREFIX, Label_Notice, false, res_.bold_font);
        add(L"STATIC", SS_ETCHEDHORZ, Line2, false, res_.font);
        site_ = add(L"BUTTON", kDrawnButton, Label_Site, true, res_.bold_font);
        site_role_.role = ROLE_SYSTEM_LINK;  // named by its text
        annotate(site_, &site_role_);
        HWND control[kPanelControls] = {};
        control[List_Window] = window_list_.hwnd();
        control[Check_IWindows] = check_iwindows_;
        control[Check_Autostart] = autostart_;
        control[Label_Site] = site_;
        HWND tabs[kPanelTabOrder.size()] = {};
        for (std::size_t i = 0; i < kPanelTabOrder.size(); ++i)
            tabs[i] = control[kPanelTabOrder[i]];
        order_tabs(tabs, kPanelTabOrder.size());
    }

    ~Panel() override {
        if (gone_ != nullptr) *gone_ = true;
        destroy();
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
    platform::WindowId window_id() const override { return to_id(hwnd_); }

    platform::ListBoxView& window_list() override { return window_list_; }
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
    HWND add(const wchar_t* control_class, DWORD style, PanelControl c, bool hand, HFONT font) {
        return Form::add(control_class, style, kPanelFirstId + c, kPanel[c], hand, font);
    }

    // The site link: white bold words centred on the red, a button so that
    // the keyboard reaches it and assistive technology can press it.
    void draw_site(const DRAWITEMSTRUCT& item) {
        FillRect(item.hDC, &item.rcItem, red_brush_);
        const std::wstring text = window_text(item.hwndItem);
        RECT area = item.rcItem;
        HGDIOBJ old_font = SelectObject(item.hDC, res_.bold_font);
        SetTextColor(item.hDC, kWhite);
        SetBkMode(item.hDC, TRANSPARENT);
        DrawTextW(item.hDC, text.c_str(), -1, &area, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(item.hDC, old_font);
        draw_focus_mark(item);
    }

    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
        if (keep_focus(msg, wp)) return 0;
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
            case WM_DRAWITEM:
                draw_site(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
                return TRUE;
            case WM_SETCURSOR:
                if (set_cursor(wp, lp)) return TRUE;
                break;
            case WM_COMMAND:
                if (press_focused_button(wp)) return 0;
                // Each handler may end with this object gone: nothing after it.
                switch (LOWORD(wp) - kPanelFirstId) {
                    case List_Window:
                        if (HIWORD(wp) == LBN_SELCHANGE) events_.List_Window_Click();
                        return 0;
                    case Check_Autostart:
                        if (HIWORD(wp) == BN_CLICKED) events_.Check_Autostart_Click();
                        return 0;
                    case Label_Site:
                        if (HIWORD(wp) == BN_CLICKED) events_.Label_Site_Click();
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

    platform::PanelEvents& events_;
    Win32ListBox window_list_;
    HWND check_iwindows_ = nullptr;
    HWND autostart_ = nullptr;
    HWND notice_ = nullptr;
    HWND site_ = nullptr;
    HBRUSH red_brush_ = nullptr;
    bool* gone_ = nullptr;
    // What assistive technology hears of the window list and the site link.
    Annotation list_name_;
    Annotation site_role_;
};

}  // namespace

std::unique_ptr<platform::PanelView> make_panel(const Resources& res,
                                                platform::PanelEvents& events) {
    return std::make_unique<Panel>(res, events);
}

}  // namespace vorlix::adapters::win32
