#include "plugin/PluginWindows.h"

#include <cwchar>
#include <vector>

namespace {
bool InsideModule(HMODULE module, LONG_PTR address) {
    if (!module || address == 0) return false;
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof(info)) != 0 &&
           info.AllocationBase == reinterpret_cast<void*>(module);
}

// The real procedure addresses: asking an ANSI window with the wide call
// gives a translation handle instead.
LONG_PTR GetLong(HWND hwnd, int index) {
    return IsWindowUnicode(hwnd) ? GetWindowLongPtrW(hwnd, index) : GetWindowLongPtrA(hwnd, index);
}
void SetLong(HWND hwnd, int index, LONG_PTR value) {
    if (IsWindowUnicode(hwnd)) SetWindowLongPtrW(hwnd, index, value);
    else SetWindowLongPtrA(hwnd, index, value);
}

bool IsDialog(HWND hwnd) {
    wchar_t name[16] = {};
    return GetClassNameW(hwnd, name, 16) > 0 && std::wcscmp(name, L"#32770") == 0;
}

// Points the window's procedures that lie in `module` away from it; true
// when there was one.
bool Silence(HWND hwnd, HMODULE module) {
    bool found = false;
    if (InsideModule(module, GetLong(hwnd, GWLP_WNDPROC))) {
        SetLong(hwnd, GWLP_WNDPROC,
                IsWindowUnicode(hwnd) ? reinterpret_cast<LONG_PTR>(&DefWindowProcW)
                                      : reinterpret_cast<LONG_PTR>(&DefWindowProcA));
        found = true;
    }
    if (IsDialog(hwnd) && InsideModule(module, GetLong(hwnd, DWLP_DLGPROC))) {
        SetLong(hwnd, DWLP_DLGPROC, 0);
        found = true;
    }
    return found;
}

struct Search {
    HMODULE module;
    std::vector<HWND> found;
};

BOOL CALLBACK SilenceChild(HWND hwnd, LPARAM lp) {
    Silence(hwnd, reinterpret_cast<Search*>(lp)->module);
    return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    if (Silence(hwnd, search->module)) search->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

int CloseWindowsOfModule(HMODULE module) {
    if (!module) return 0;
    Search search{module, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    for (HWND hwnd : search.found) EnumChildWindows(hwnd, SilenceChild, reinterpret_cast<LPARAM>(&search));
    int closed = 0;
    for (HWND hwnd : search.found) {
        if (IsWindow(hwnd) && DestroyWindow(hwnd)) ++closed;
    }
    return closed;
}
