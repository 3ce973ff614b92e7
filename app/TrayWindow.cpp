#include "app/TrayWindow.h"

#include <shellapi.h>

#include <cstring>

#include "framework/TextBridge.h"
#include "res/resource.h"
#include "util/PathPieces.h"

const MessageEntry<TrayWindow> TrayWindow::kMessages[] = {
    {WM_CREATE, &TrayWindow::OnCreate},
    {WM_TRAYNOTIFY, &TrayWindow::OnTrayNotify},
    {WM_QUERYENDSESSION, &TrayWindow::OnQueryEndSession},
    {WM_DESTROY, &TrayWindow::OnDestroy},
};

const CommandEntry<TrayWindow> TrayWindow::kCommands[] = {
    {ID_APP_EXIT_TRAY, &TrayWindow::OnExit},
};

TrayWindow::TrayWindow(ProfileStore& profile) : m_profile(profile) {}

TrayWindow::~TrayWindow() = default;

bool TrayWindow::Create() {
    return CreateEx(WS_EX_TOOLWINDOW, kClassName, kTitle, 0, 0, 0, 0, 0, nullptr, nullptr);
}

LRESULT TrayWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageTable(this, kMessages, message, wParam, lParam, &result)) return result;
    if (message == WM_COMMAND && HIWORD(wParam) == 0 && DispatchCommandTable(this, kCommands, LOWORD(wParam)))
        return 0;
    // The notification area was re-created (Explorer restarted): put the icon back.
    if (m_taskbarCreated && message == m_taskbarCreated) {
        TrayIcon(NIM_ADD, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY)), kAppTip);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

LRESULT TrayWindow::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    m_context = std::make_unique<AppContext>(m_profile);
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON small = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TRAY));
    TrayIcon(NIM_ADD, small, kAppTip);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, (LPARAM)LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME)));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, (LPARAM)small);
    return 0;
}

LRESULT TrayWindow::OnTrayNotify(WPARAM wParam, LPARAM) {
    if (wParam != kTrayIconId) return 0;
    return 0;
}

LRESULT TrayWindow::OnQueryEndSession(WPARAM, LPARAM) {
    if (!Default()) return FALSE;
    if (m_context) m_context->SaveAll();
    return TRUE;
}

LRESULT TrayWindow::OnDestroy(WPARAM, LPARAM) {
    m_context.reset();  // saves the list and the settings
    TrayIcon(NIM_DELETE, nullptr, nullptr);
    return Default();
}

void TrayWindow::OnExit() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

void TrayWindow::PostNcDestroy() {
    // The main window is gone: the program ends.  The application object
    // owns this object and deletes it after the message loop.
    if (m_endsProgram) PostQuitMessage(0);
}

bool TrayWindow::TrayIcon(DWORD action, HICON icon, const char* tip) {
    static HICON lastIcon = nullptr;
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    if (icon && (icon != lastIcon || action == NIM_ADD)) {
        data.uFlags |= NIF_ICON;
        data.hIcon = icon;
        lastIcon = icon;
    }
    if (tip) {
        // The tip is the text up to its first backslash, at most 63 bytes.
        std::string text;
        for (size_t i = 0; tip[i] && tip[i] != '\\';) {
            size_t n = (IsCp932LeadByte(tip[i]) && tip[i + 1]) ? 2 : 1;
            if (text.size() + n > 63) break;
            text.append(tip + i, n);
            i += n;
        }
        std::wstring w = ToWide(text);
        wcsncpy(data.szTip, w.c_str(), sizeof(data.szTip) / sizeof(data.szTip[0]) - 1);
        data.uFlags |= NIF_TIP;
    }
    return Shell_NotifyIconW(action, &data) != FALSE;
}
