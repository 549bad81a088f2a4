// Drives Vorlix.exe end to end from the Windows side: opens pop-ups of its
// own, starts the program, waits for it to close the blacklisted one, ticks
// Autostart on the panel the way a click does, then closes the program.
//
//   vorlix_e2e_driver <path of Vorlix.exe> [<handshake folder>]
//
// With a handshake folder it writes "ready" there once both windows are up
// and waits (20 s at most) for "shot" before closing the program, so that a
// picture of the screen can be taken. Exit code 0 when every check held.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kPopupClass[] = L"VorlixE2ePopup";
constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A browser-like window: it obeys WM_CLOSE and remembers that it did.
struct Popup {
    HWND hwnd = nullptr;
    bool closed = false;
};

LRESULT CALLBACK popup_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(
            h, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* popup = reinterpret_cast<Popup*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg == WM_CLOSE && popup != nullptr) {
        popup->closed = true;
        DestroyWindow(h);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void open(Popup& popup, const wchar_t* title, int x, int y) {
    popup.hwnd = CreateWindowExW(0, kPopupClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 330,
                                 110, nullptr, nullptr, GetModuleHandleW(nullptr), &popup);
}

// Delivers this thread's messages until `done` holds or `ms` have passed.
bool pump_until(const std::function<bool()>& done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

bool check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    std::fflush(stdout);
    return ok;
}

HWND find_child(HWND parent, const wchar_t* text) {
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t buffer[64] = {};
        GetWindowTextW(c, buffer, 64);
        if (lstrcmpW(buffer, text) == 0) return c;
    }
    return nullptr;
}

std::wstring run_value() {
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, L"Kelto_Vorlix", RRF_RT_REG_SZ, &type, data, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return data;
}

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The version resource and the pictures, icon and cursor the toolkit loads.
bool has_resources(const std::wstring& exe) {
    DWORD unused = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), &unused));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    const bool version =
        !info.empty() &&
        GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) &&
        VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        fixed != nullptr && fixed->dwFileVersionMS == MAKELONG(14, 1) &&
        HIWORD(fixed->dwFileVersionLS) == 47;
    check(version, "version resource 1.14.47");
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    bool found = image != nullptr && FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON) &&
                 FindResourceW(image, MAKEINTRESOURCEW(101), RT_GROUP_CURSOR);
    for (int bitmap = 201; bitmap <= 206; ++bitmap) {
        found = found && FindResourceW(image, MAKEINTRESOURCEW(bitmap), RT_BITMAP) != nullptr;
    }
    if (image != nullptr) FreeLibrary(image);
    check(found, "icon, cursor and pictures embedded");
    return version && found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorlix_e2e_driver <Vorlix.exe> [<handshake folder>]\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    const std::wstring handshake = argc > 2 ? argv[2] : L"";

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = popup_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPopupClass;
    RegisterClassExW(&wc);

    bool ok = has_resources(exe);

    Popup blacklisted, cyrillic, bare, other;
    open(blacklisted, L"Win a prize - Microsoft Internet Explorer", 20, 20);
    // Blacklisted as well, in a data file that has to hold it as UTF-8.
    open(cyrillic, L"\x041F\x0440\x0438\x0437 \x2013 Microsoft Internet Explorer", 20, 140);
    open(bare, L"Win a prize", 20, 640);
    open(other, L"News - Microsoft Internet Explorer", 680, 640);
    pump_until([] { return false; }, 200);

    // Started from another folder: the program finds its files by its own.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\"";
    wchar_t system_folder[MAX_PATH] = {};
    GetSystemDirectoryW(system_folder, MAX_PATH);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        system_folder, &si, &pi)) {
        std::fprintf(stderr, "cannot start %ls: error %lu\n", exe.c_str(), GetLastError());
        return 1;
    }
    CloseHandle(pi.hThread);

    HWND panel = nullptr;
    HWND main = nullptr;
    ok &= check(pump_until(
                    [&] {
                        panel = FindWindowW(nullptr, L"Vorlix - Window List");
                        main = FindWindowW(nullptr, L"Vorlix v1.14 (build 47)");
                        return panel != nullptr && main != nullptr && IsWindowVisible(panel) &&
                               IsWindowVisible(main);
                    },
                    20000),
                "both windows shown");
    ok &= check(pump_until([&] { return blacklisted.closed; }, 20000),
                "closed \"Win a prize - Microsoft Internet Explorer\"");
    ok &= check(pump_until([&] { return cyrillic.closed; }, 5000),
                "closed the pop-up with a Cyrillic title and an en dash");
    // Two more scan ticks: nothing else may go.
    pump_until([] { return false; }, 1200);
    ok &= check(!bare.closed && IsWindow(bare.hwnd), "kept \"Win a prize\"");
    ok &=
        check(!other.closed && IsWindow(other.hwnd), "kept \"News - Microsoft Internet Explorer\"");

    HWND autostart = panel != nullptr ? find_child(panel, L"Autostart") : nullptr;
    ok &= check(autostart != nullptr, "found the Autostart box");
    if (autostart != nullptr) {
        DWORD_PTR unused = 0;
        SendMessageTimeoutW(autostart, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &unused);
        ok &= check(pump_until([] { return !run_value().empty(); }, 5000),
                    "ticking Autostart wrote the Run value");
        std::printf("Run value: %ls\n", run_value().c_str());
    }

    // A title typed in and added: the blacklist file is rewritten with it.
    HWND field = main != nullptr ? FindWindowExW(main, nullptr, L"EDIT", nullptr) : nullptr;
    HWND banner = main != nullptr ? FindWindowExW(main, nullptr, L"STATIC", nullptr) : nullptr;
    HWND add = banner != nullptr ? FindWindowExW(main, banner, L"STATIC", nullptr) : nullptr;
    ok &= check(field != nullptr && add != nullptr, "found the title field and Add");
    if (field != nullptr && add != nullptr) {
        DWORD_PTR unused = 0;
        SendMessageTimeoutW(field, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(L"\x041D\x043E\x0432\x044B\x0439"),
                            SMTO_NORMAL, 5000, &unused);
        SendMessageTimeoutW(add, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), SMTO_NORMAL, 5000,
                            &unused);
        SendMessageTimeoutW(add, WM_LBUTTONUP, 0, MAKELPARAM(5, 5), SMTO_NORMAL, 5000, &unused);
        HWND list = FindWindowExW(main, nullptr, L"LISTBOX", nullptr);
        ok &= check(pump_until(
                        [&] {
                            DWORD_PTR count = 0;
                            SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 1000, &count);
                            return count == 3;
                        },
                        5000),
                    "Add put the typed title on the list");
    }

    if (!handshake.empty()) {
        CloseHandle(CreateFileW((handshake + L"\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        pump_until([&] { return file_exists(handshake + L"\\shot"); }, 20000);
    }

    if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
    ok &= check(WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0,
                "closing the main window ended the program");
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return ok ? 0 : 1;
}
