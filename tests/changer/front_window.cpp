// Another program's window in front, for the automatic change's look at the
// screen: "maximised" is an ordinary WS_OVERLAPPEDWINDOW maximised,
// "borderless" a popup covering the whole main monitor.  It stays until it
// gets WM_CLOSE.
#include <windows.h>

#include <cwchar>

namespace {
LRESULT CALLBACK FrontProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
}  // namespace

// A windows program: a console of its own could take the front.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    const bool maximised = !wcscmp(arguments, L"maximised");
    if (!maximised && wcscmp(arguments, L"borderless")) return 2;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrontProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"TavrinTestFrontWindow";
    if (!RegisterClassW(&wc)) return 1;
    HWND hwnd = nullptr;
    if (maximised) {
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"front", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr, nullptr,
                               wc.hInstance, nullptr);
        if (hwnd) ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    } else {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor)) return 1;
        const RECT& r = monitor.rcMonitor;
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"front", WS_POPUP, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        if (hwnd) ShowWindow(hwnd, SW_SHOW);
    }
    if (!hwnd) return 1;
    SetForegroundWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
