// The main window: the title field, the title list, the pictures that act as
// buttons, the lamp and the status line.
#include <windows.h>
// After windows.h
#include <commctrl.h>

#include <optional>
#include <string>

#include "adapters/win32/win32_accessible.h"
#include "adapters/win32/win32_forms.h"
#include "adapters/win32/win32_list_box.h"
#include "adapters/win32/win32_text.h"

namespace vorlix::adapters::win32 {
namespace {

using namespace platform::layout;

constexpr platform::Colour kLightYellow = 0xC0FFFF;
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kMainExStyle = 0;
// Posted to itself: the status line is due.
constexpr UINT kShowStatus = WM_APP + 1;
constexpr UINT_PTR kStatusTimer = 1;
constexpr ULONGLONG kStatusEveryMs = 100;

class MainWindow final : public Form, public platform::MainWindowView {
public:
    MainWindow(const Resources& res, platform::MainWindowEvents& events)
        : Form(res), events_(events) {
        status_brush_ = CreateSolidBrush(kLightYellow);
        create(kMainClass, kMainStyle, kMainExStyle,
               outer_width_for(kMainWidth, kMainStyle, kMainExStyle),
               outer_height_for(kMainHeight, kMainStyle, kMainExStyle));
        HWND control[kMainControls] = {};
        control[Image1] = add(L"STATIC", SS_OWNERDRAW, Image1, false);
        text_title_ = add(L"EDIT", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Text_Title, false);
        control[Text_Title] = text_title_;
        control[Command_ADD] = add(L"BUTTON", kDrawnButton, Command_ADD, true);
        command_window_ = add(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, Command_Window, true);
        control[Command_Window] = command_window_;
        title_list_.attach(add(L"LISTBOX", kListBoxStyle, List_Title, true));
        control[List_Title] = title_list_.hwnd();
        control[Command_REMOVE] = add(L"BUTTON", kDrawnButton, Command_REMOVE, true);
        suspended_ = add(L"BUTTON", kDrawnButton, Command_TimerS, true);
        ShowWindow(suspended_, SW_HIDE);
        control[Command_TimerS] = suspended_;
        active_ = add(L"BUTTON", kDrawnButton, Command_Timer, true);
        control[Command_Timer] = active_;
        lamp_control_ = add(L"STATIC", SS_OWNERDRAW, Shape_Status, false);
        control[Shape_Status] = lamp_control_;
        status_ = add(L"STATIC", SS_LEFT | SS_NOPREFIX, Label_Status, false);
        control[Label_Status] = status_;

        // Where the text is not shown, it names the control for assistive
        // technology, as the annotations do for the rest.
        for (MainControl c : {Command_ADD, Command_REMOVE, Command_Timer, Command_TimerS,
                              Shape_Status, List_Title}) {
            SetWindowTextW(control[c], widen(kMain[c].spoken).c_str());
        }
        for (int c = 0; c < kMainControls; ++c) {
            // The status line is named by what it says.
            if (c != Label_Status) spoken_[c].name = widen(kMain[c].spoken);
            annotate(control[c], &spoken_[c]);
        }
        spoken_[Image1].role = ROLE_SYSTEM_GRAPHIC;
        spoken_[Shape_Status].role = ROLE_SYSTEM_GRAPHIC;
        spoken_[Shape_Status].description = widen(look_of(lamp_).word);
        spoken_[Label_Status].role = ROLE_SYSTEM_STATUSBAR;
        // Of no size, so nothing shows: its alerts tell screen readers the news
        // whichever window has the focus, as its name.
        news_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(INT_PTR{kMainFirstId + kMainControls}),
                                res_.instance, nullptr);
        news_spoken_.role = ROLE_SYSTEM_ALERT;
        annotate(news_, &news_spoken_);
        HWND tabs[kMainTabOrder.size()] = {};
        for (std::size_t i = 0; i < kMainTabOrder.size(); ++i) tabs[i] = control[kMainTabOrder[i]];
        order_tabs(tabs, kMainTabOrder.size());

        // Return is handled on key-down, so the edit control is subclassed.
        SetWindowSubclass(text_title_, &MainWindow::title_proc, 0,
                          reinterpret_cast<DWORD_PTR>(this));
    }

    ~MainWindow() override {
        RemoveWindowSubclass(text_title_, &MainWindow::title_proc, 0);
        destroy();
        DeleteObject(status_brush_);
    }

    HWND hwnd() const { return hwnd_; }

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
    platform::ListBoxView& title_list() override { return title_list_; }
    void set_lamp(Lamp lamp) override {
        if (lamp == lamp_) return;
        lamp_ = lamp;
        InvalidateRect(lamp_control_, nullptr, FALSE);
        spoken_[Shape_Status].description = widen(look_of(lamp).word);
        tell_clients(lamp_control_, EVENT_OBJECT_DESCRIPTIONCHANGE);
    }
    // A scan may close hundreds of pop-ups in a second. The status line is
    // set (a static control repaints at once, a millisecond under Wine), and
    // its news told, with the newest text at most every kStatusEveryMs: at the
    // next pass of the message loop, or when that much has passed since the
    // last.
    void set_status(std::string_view text) override {
        const bool waiting = pending_status_.has_value();
        pending_status_ = widen(text);
        if (waiting) return;
        const ULONGLONG since = GetTickCount64() - status_shown_at_;
        const bool later =
            since >= kStatusEveryMs
                ? PostMessageW(hwnd_, kShowStatus, 0, 0) != FALSE
                : SetTimer(hwnd_, kStatusTimer, static_cast<UINT>(kStatusEveryMs - since),
                           nullptr) != 0;
        if (!later) show_status();
    }
    void set_active_picture_visible(bool visible) override {
        set_picture_visible(active_, visible);
    }
    void set_suspended_picture_visible(bool visible) override {
        set_picture_visible(suspended_, visible);
    }
    void set_window_button(bool panel_shown) override {
        const Control& button = kMain[Command_Window];
        const bool was_shown = spoken_[Command_Window].name == widen(button.spoken);
        if (panel_shown != was_shown)
            announce(panel_shown ? platform::kPanelShownWords : platform::kPanelHiddenWords);
        SetWindowTextW(command_window_,
                       widen(panel_shown ? button.caption : kWindowButtonHiddenCaption).c_str());
        spoken_[Command_Window].name = widen(panel_shown ? button.spoken : kWindowButtonHiddenName);
        tell_clients(command_window_, EVENT_OBJECT_NAMECHANGE);
    }
    void announce(std::string_view words) override { announce(widen(words)); }

private:
    void announce(std::wstring words) {
        news_spoken_.name = std::move(words);
        tell_clients(news_, EVENT_SYSTEM_ALERT);
    }
    void show_status() {
        KillTimer(hwnd_, kStatusTimer);
        if (!pending_status_) return;
        status_shown_at_ = GetTickCount64();
        SetWindowTextW(status_, pending_status_->c_str());
        // Read out by screen readers as a live region's news.
        tell_clients(status_, EVENT_OBJECT_NAMECHANGE);
        tell_clients(status_, kLiveRegionChanged);
        announce(*std::move(pending_status_));
        pending_status_.reset();
    }

    HWND add(const wchar_t* control_class, DWORD style, MainControl c, bool hand) {
        return Form::add(control_class, style, kMainFirstId + c, kMain[c], hand, res_.font);
    }

    // The Active and Suspended pictures take turns in one place: the focus
    // that the hidden one had passes to the one shown next.
    void set_picture_visible(HWND picture, bool visible) {
        if (!visible && GetFocus() == picture) focus_to_twin_ = true;
        ShowWindow(picture, visible ? SW_SHOW : SW_HIDE);
        if (visible && focus_to_twin_) SetFocus(picture);
        if (visible) focus_to_twin_ = false;
    }

    static LRESULT CALLBACK title_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR data) {
        auto* self = reinterpret_cast<MainWindow*>(data);
        if (msg == WM_GETDLGCODE) {
            // Return belongs to the title field, not to the window's keyboard
            // navigation.
            LRESULT code = DefSubclassProc(h, msg, wp, lp);
            const auto* key = reinterpret_cast<const MSG*>(lp);
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        if (msg == WM_KEYDOWN) {
            self->events_.Text_Title_KeyDown(static_cast<int>(wp));
        } else if (msg == WM_CHAR && wp == L'\r') {
            return 0;  // a single-line edit would only beep
        }
        return DefSubclassProc(h, msg, wp, lp);
    }

    void paint_background(HDC dc) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const RECT picture{0, 0, res_.px_x(438 * 15), res_.px_y(337 * 15)};
        draw_bitmap(dc, res_.background, picture);
    }

    void draw_item(const DRAWITEMSTRUCT& item) {
        HBITMAP picture = nullptr;
        switch (static_cast<int>(item.CtlID) - kMainFirstId) {
            case Shape_Status:
                draw_lamp(item);
                return;
            case Image1:
                draw_bitmap(item.hDC, res_.banner, item.rcItem);
                return;
            case Command_ADD:
                picture = res_.add;
                break;
            case Command_REMOVE:
                picture = res_.remove;
                break;
            case Command_Timer:
                picture = res_.active;
                break;
            case Command_TimerS:
                picture = res_.suspended;
                break;
            default:
                return;
        }
        // The pictures' rounded corners are transparent.
        paint_background_behind(item);
        draw_bitmap(item.hDC, picture, item.rcItem);
        draw_focus_mark(item);
    }

    // The window's background where a control stands, into the control's DC.
    void paint_background_behind(const DRAWITEMSTRUCT& item) {
        POINT at{0, 0};
        MapWindowPoints(item.hwndItem, hwnd_, &at, 1);
        POINT old_origin{};
        SetViewportOrgEx(item.hDC, -at.x, -at.y, &old_origin);
        paint_background(item.hDC);
        SetViewportOrgEx(item.hDC, old_origin.x, old_origin.y, nullptr);
    }

    // The lamp is a filled circle on the window's own background.
    void draw_lamp(const DRAWITEMSTRUCT& item) {
        paint_background_behind(item);
        HBRUSH fill = CreateSolidBrush(look_of(lamp_).colour);
        HGDIOBJ old_brush = SelectObject(item.hDC, fill);
        HGDIOBJ old_pen = SelectObject(item.hDC, GetStockObject(BLACK_PEN));
        Ellipse(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
        SelectObject(item.hDC, old_pen);
        SelectObject(item.hDC, old_brush);
        DeleteObject(fill);
    }

    LRESULT on_message(UINT msg, WPARAM wp, LPARAM lp) override {
        if (keep_focus(msg, wp)) return 0;
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
            case kShowStatus:
                show_status();
                return 0;
            case WM_TIMER:
                if (wp != kStatusTimer) break;
                show_status();
                return 0;
            case WM_SETCURSOR:
                if (set_cursor(wp, lp)) return TRUE;
                break;
            case WM_COMMAND:
                if (!press_focused_button(wp)) on_command(LOWORD(wp) - kMainFirstId, HIWORD(wp));
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

    void on_command(int control, int code) {
        switch (control) {
            case Command_ADD:
                if (code == BN_CLICKED) events_.Command_ADD_Click();
                break;
            case Command_REMOVE:
                if (code == BN_CLICKED) events_.Command_REMOVE_Click();
                break;
            case Command_Timer:
                if (code == BN_CLICKED) events_.Command_Timer_Click();
                break;
            case Command_TimerS:
                if (code == BN_CLICKED) events_.Command_TimerS_Click();
                break;
            case Command_Window:
                if (code == BN_CLICKED) events_.Command_Window_Click();
                break;
            case List_Title:
                if (code == LBN_SELCHANGE) events_.List_Title_Click();
                break;
            default:
                break;
        }
    }

    platform::MainWindowEvents& events_;
    HWND text_title_ = nullptr;
    HWND command_window_ = nullptr;
    HWND active_ = nullptr;
    HWND suspended_ = nullptr;
    HWND lamp_control_ = nullptr;
    HWND status_ = nullptr;
    HWND news_ = nullptr;
    Win32ListBox title_list_;
    HBRUSH status_brush_ = nullptr;
    Lamp lamp_ = Lamp::Design;
    bool focus_to_twin_ = false;
    // What assistive technology hears of each control; the controls read it.
    Annotation spoken_[kMainControls];
    Annotation news_spoken_;
    std::optional<std::wstring> pending_status_;
    ULONGLONG status_shown_at_ = 0;
};

}  // namespace

std::unique_ptr<platform::MainWindowView> make_main_window(const Resources& res,
                                                           platform::MainWindowEvents& events,
                                                           HWND& hwnd) {
    auto window = std::make_unique<MainWindow>(res, events);
    hwnd = window->hwnd();
    return window;
}

}  // namespace vorlix::adapters::win32
