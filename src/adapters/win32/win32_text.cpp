#include "adapters/win32/win32_text.h"

#include <climits>

namespace vorlix::adapters::win32 {

namespace {

int length_of(std::size_t n) {
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

std::wstring to_wide(UINT code_page, DWORD flags, std::string_view bytes, bool& ok) {
    ok = true;
    if (bytes.empty()) return {};
    const int n =
        MultiByteToWideChar(code_page, flags, bytes.data(), length_of(bytes.size()), nullptr, 0);
    if (n <= 0) {
        ok = false;
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, flags, bytes.data(), length_of(bytes.size()), wide.data(), n);
    return wide;
}

std::string from_wide(UINT code_page, DWORD flags, std::wstring_view wide, BOOL* used_default) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(code_page, flags, wide.data(), length_of(wide.size()),
                                      nullptr, 0, nullptr, used_default);
    if (n <= 0) return {};
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(code_page, flags, wide.data(), length_of(wide.size()), bytes.data(), n,
                        nullptr, used_default);
    return bytes;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
    bool ok = false;
    return to_wide(CP_UTF8, 0, utf8, ok);
}

std::string narrow(std::wstring_view wide) {
    return from_wide(CP_UTF8, 0, wide, nullptr);
}

std::optional<std::string> to_ansi_exact(std::string_view utf8) {
    if (utf8.empty()) return std::string();
    bool ok = false;
    const std::wstring wide = to_wide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
    if (!ok) return std::nullopt;
    const UINT acp = GetACP();
    if (acp == CP_UTF8) return std::string(utf8);
    BOOL used_default = FALSE;
    std::string ansi = from_wide(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, &used_default);
    if (used_default || ansi.empty()) return std::nullopt;
    // Some code pages map two characters to one byte sequence; only a round
    // trip proves that the bytes stand for this text alone.
    bool back_ok = false;
    if (to_wide(CP_ACP, 0, ansi, back_ok) != wide || !back_ok) return std::nullopt;
    return ansi;
}

std::string to_ansi_lossy(std::string_view utf8) {
    if (GetACP() == CP_UTF8) return std::string(utf8);
    BOOL used_default = FALSE;
    return from_wide(CP_ACP, WC_NO_BEST_FIT_CHARS, widen(utf8), &used_default);
}

std::string from_ansi(std::string_view ansi) {
    bool ok = false;
    return narrow(to_wide(CP_ACP, 0, ansi, ok));
}

std::string describe_error(std::string_view what, DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message;
    if (n > 0 && buffer != nullptr) message.assign(buffer, n);
    if (buffer != nullptr) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    std::string text(what);
    text += ": ";
    text += message.empty() ? std::string("system error") : narrow(message);
    text += " (code " + std::to_string(code) + ")";
    return text;
}

}  // namespace vorlix::adapters::win32
