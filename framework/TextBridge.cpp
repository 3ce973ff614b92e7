#include "framework/TextBridge.h"

#include <vector>

std::wstring ToWide(const std::string& cp932) {
    if (cp932.empty()) return std::wstring();
    int n = MultiByteToWideChar(kProgramCodePage, 0, cp932.data(), (int)cp932.size(), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(n, L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, cp932.data(), (int)cp932.size(), &out[0], n);
    return out;
}

std::wstring ToWide(const char* cp932) {
    return cp932 ? ToWide(std::string(cp932)) : std::wstring();
}

static std::string Narrow(const std::wstring& text, BOOL* lossy) {
    if (lossy) *lossy = FALSE;
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), (int)text.size(),
                                nullptr, 0, nullptr, lossy);
    if (n <= 0) return std::string();
    std::string out(n, '\0');
    WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, text.data(), (int)text.size(), &out[0], n,
                        nullptr, lossy);
    return out;
}

std::string ToCp932(const std::wstring& text) { return Narrow(text, nullptr); }

std::string ToCp932(const wchar_t* text) { return text ? ToCp932(std::wstring(text)) : std::string(); }

bool FitsCp932(const std::wstring& text) {
    BOOL lossy = FALSE;
    Narrow(text, &lossy);
    return !lossy;
}

std::string PathToCp932(const std::wstring& path) {
    BOOL lossy = FALSE;
    std::string narrow = Narrow(path, &lossy);
    if (!lossy) return narrow;
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return narrow;
    std::wstring shortPath(n, L'\0');
    n = GetShortPathNameW(path.c_str(), &shortPath[0], n);
    shortPath.resize(n);
    return n ? Narrow(shortPath, nullptr) : narrow;
}

bool SetWindowTextCp932(HWND hwnd, const std::string& text) {
    return SetWindowTextW(hwnd, ToWide(text).c_str()) != FALSE;
}

std::string GetWindowTextCp932(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return std::string();
    std::vector<wchar_t> buf(n + 1);
    int got = GetWindowTextW(hwnd, buf.data(), n + 1);
    return ToCp932(std::wstring(buf.data(), got > 0 ? got : 0));
}
