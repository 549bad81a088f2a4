#include "adapters/win32/win32_toolkit.h"

#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "adapters/win32/resource.h"
#include "adapters/win32/win32_forms.h"
#include "adapters/win32/win32_text.h"
#include "adapters/win32/win32_timer.h"

namespace vorlix::adapters::win32 {

namespace {

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

// As a DIB section, so that a 32-bit picture keeps its alpha.
HBITMAP load_bitmap(HINSTANCE instance, int id) {
    return static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

Win32Toolkit::Win32Toolkit() {
    // Accessibility clients reach our controls' objects through COM.
    com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
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
    if (com_) CoUninitialize();
}

std::unique_ptr<platform::MainWindowView> Win32Toolkit::create_main_window(
    platform::MainWindowEvents& events) {
    return make_main_window(res_, events, main_window_);
}

std::unique_ptr<platform::PanelView> Win32Toolkit::create_panel(platform::PanelEvents& events) {
    return make_panel(res_, events);
}

std::unique_ptr<platform::Timer> Win32Toolkit::create_timer(std::function<void()> on_tick) {
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

bool Win32Toolkit::do_events() {
    if (!pacer_.due()) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Left for the message loop that is waiting for it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return true;
        }
        dispatch(msg);
    }
    return true;
}

void Win32Toolkit::message_box(std::string_view text, std::string_view caption, int flags) {
    HWND owner = IsWindow(main_window_) ? main_window_ : nullptr;
    (void)MessageBoxW(owner, widen(text).c_str(), widen(caption).c_str(), static_cast<UINT>(flags));
}

platform::ScreenSize Win32Toolkit::screen_size() const {
    return {res_.twips_x(GetSystemMetrics(SM_CXSCREEN)),
            res_.twips_y(GetSystemMetrics(SM_CYSCREEN))};
}

platform::AppInfo Win32Toolkit::app_info() const {
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
    platform::AppInfo info;
    info.separator = '\\';
    info.exe_suffix = ".exe";
    const auto slash = module.find_last_of(L"\\/");
    std::wstring file = slash == std::wstring::npos ? module : module.substr(slash + 1);
    info.path = narrow(slash == std::wstring::npos ? std::wstring() : module.substr(0, slash));
    if (const auto dot = file.find_last_of(L'.'); dot != std::wstring::npos) file.resize(dot);
    info.exe_name = narrow(file);
    info.data_folder = data_folder_;
    return info;
}

std::string Win32Toolkit::user_data_folder() {
    PWSTR roaming = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) {
        folder = narrow(roaming) + "\\Vorlix";
    }
    CoTaskMemFree(roaming);  // also when the call failed
    return folder;
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

}  // namespace vorlix::adapters::win32
