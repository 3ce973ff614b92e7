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

bool NotificationStateHoldsBack(QUERY_USER_NOTIFICATION_STATE state) {
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

bool IsBorderlessFullScreen(LONG_PTR style, bool maximised, const RECT& window, const RECT& monitor) {
    if (maximised || (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME)) return false;
    return CoversMonitor(window, monitor);
}

bool FullScreenProgramInFront() {
    HWND front = GetForegroundWindow();
    DWORD pid = 0;
    if (front) GetWindowThreadProcessId(front, &pid);
    if (pid == GetCurrentProcessId()) return false;  // the change effect covers the screen itself
    // The system knows games and presentations; a failed question leaves the window's own look below.
    QUERY_USER_NOTIFICATION_STATE state;
    if (SUCCEEDED(SHQueryUserNotificationState(&state)) && NotificationStateHoldsBack(state)) return true;
    if (!front || front == GetDesktopWindow() || front == GetShellWindow() || !IsWindowVisible(front)) return false;
    wchar_t cls[32] = {};
    GetClassNameW(front, cls, 32);
    if (!lstrcmpW(cls, L"Progman") || !lstrcmpW(cls, L"WorkerW")) return false;  // the desktop's icons
    RECT window;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetWindowRect(front, &window) ||
        !GetMonitorInfoW(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST), &monitor))
        return false;
    return IsBorderlessFullScreen(GetWindowLongPtrW(front, GWL_STYLE), IsZoomed(front) != FALSE, window,
                                  monitor.rcMonitor);
}
