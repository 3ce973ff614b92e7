#include "changer/ForegroundState.h"

#include "framework/Handles.h"

bool SessionIsLocked() {
    // The locked session's input desktop (Winlogon) cannot be opened by the user.
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (!input) return true;
    CloseDesktop(input);
    return false;
}

bool CoversMonitor(const RECT& window, const RECT& monitor) {
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom && monitor.right > monitor.left && monitor.bottom > monitor.top;
}

bool FullScreenProgramInFront() {
    HWND front = GetForegroundWindow();
    if (!front || front == GetDesktopWindow() || front == GetShellWindow() || !IsWindowVisible(front)) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    if (pid == GetCurrentProcessId()) return false;  // the change effect covers the screen itself
    wchar_t cls[32] = {};
    GetClassNameW(front, cls, 32);
    if (!lstrcmpW(cls, L"Progman") || !lstrcmpW(cls, L"WorkerW")) return false;  // the desktop's icons
    RECT window;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(front, &window) ||
        !GetMonitorInfoW(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    return CoversMonitor(window, monitor.rcMonitor);
}
