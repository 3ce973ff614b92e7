#include "plugin/PluginText.h"

#include <windows.h>

#include "framework/TextBridge.h"

namespace {
bool ToAnsi(const std::wstring& wide, std::string* out) {
    out->clear();
    if (wide.empty()) return true;
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), nullptr, 0, nullptr,
                                &lossy);
    if (n <= 0 || lossy) return false;
    std::string text(n, '\0');
    n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), &text[0], n, nullptr,
                            &lossy);
    if (n <= 0 || lossy) return false;
    text.resize(n);
    *out = std::move(text);
    return true;
}
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
