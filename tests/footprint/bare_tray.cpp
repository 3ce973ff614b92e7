// The least program with a notification-area icon: a hidden window and
// Shell_NotifyIconW, nothing else.  The start-up benchmark measures
// tavrin.exe against it.
#include <windows.h>
#include <shellapi.h>

namespace {
constexpr UINT kIconId = 100;  // the same id as Tavrin's icon, so one probe fits both
constexpr UINT kNotifyMessage = WM_APP + 12;

LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd;
    data.uID = kIconId;
    switch (message) {
    case WM_CREATE:
        data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
        data.uCallbackMessage = kNotifyMessage;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        lstrcpynW(data.szTip, L"bare tray", 64);
        Shell_NotifyIconW(NIM_ADD, &data);
        return 0;
    case WM_DESTROY:
        Shell_NotifyIconW(NIM_DELETE, &data);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TavrinBareTray";
    if (!RegisterClassW(&wc)) return 1;
    if (!CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"bare tray", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                         nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
