#include "plugin/PluginText.h"

#include <windows.h>

#include "framework/TextBridge.h"

namespace {
// Code pages that encode every character: the "best fit" and default
// character options are invalid for them, and only malformed UTF-16 (a lone
// surrogate) can fail.
bool EncodesEverything(unsigned codePage) { return codePage == CP_UTF8 || codePage == 54936; }
}  // namespace

bool ToCodePage(unsigned codePage, const std::wstring& wide, std::string* out) {
    out->clear();
    if (wide.empty()) return true;
    const bool whole = EncodesEverything(codePage);
    const DWORD flags = whole ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossyFlag = whole ? nullptr : &lossy;
    int n = WideCharToMultiByte(codePage, flags, wide.data(), (int)wide.size(), nullptr, 0, nullptr, lossyFlag);
    if (n <= 0 || lossy) return false;
    std::string text(n, '\0');
    n = WideCharToMultiByte(codePage, flags, wide.data(), (int)wide.size(), &text[0], n, nullptr, lossyFlag);
    if (n <= 0 || lossy) return false;
    text.resize(n);
    *out = std::move(text);
    return true;
}

namespace {
bool ToAnsi(const std::wstring& wide, std::string* out) { return ToCodePage(GetACP(), wide, out); }
}  // namespace

bool ToPluginPath(const std::string& cp932Path, std::string* ansiPath) {
    std::wstring wide = ToWide(cp932Path);
    if (wide.empty() != cp932Path.empty()) return false;
    if (ToAnsi(wide, ansiPath)) return true;
    DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0) return false;
    std::wstring shortPath(n, L'\0');
    n = GetShortPathNameW(wide.c_str(), &shortPath[0], n);
    if (n == 0 || n >= shortPath.size()) return false;
    shortPath.resize(n);
    return ToAnsi(shortPath, ansiPath);
}

std::vector<char> PluginNameBuffer(const std::string& text, size_t minimum) {
    std::vector<char> buffer(text.size() + 1 > minimum ? text.size() + 1 : minimum, '\0');
    text.copy(buffer.data(), text.size());
    return buffer;
}
