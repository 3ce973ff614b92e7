#include "TavrinDriver.h"

#include <shlwapi.h>

#include "framework/TextBridge.h"

namespace {
std::wstring SettingsKey() { return std::wstring(TavrinDriver::kProfileKey) + L"\\Settings"; }

struct FindContext { DWORD pid; const wchar_t* className; const wchar_t* title; HWND found; };

BOOL CALLBACK FindInProcess(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindContext*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != f->pid) return TRUE;
    wchar_t cls[64] = {}, title[256] = {};
    GetClassNameW(hwnd, cls, 64);
    GetWindowTextW(hwnd, title, 256);
    if (wcscmp(cls, f->className) == 0 && (!f->title || wcscmp(title, f->title) == 0)) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD ms) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

std::string DesktopWallpaper() { return DesktopValue(L"Wallpaper"); }

std::string ControlText(HWND control) {
    wchar_t text[8192] = {};
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 8192, (LPARAM)text, SMTO_NORMAL, 2000, nullptr)) return std::string();
    return ToCp932(text);
}

TavrinDriver::TavrinDriver() { SHDeleteKeyW(HKEY_CURRENT_USER, kProfileKey); }

TavrinDriver::~TavrinDriver() {
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_pi.hProcess, 1);
        WaitForSingleObject(m_pi.hProcess, 5000);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    SHDeleteKeyW(HKEY_CURRENT_USER, kProfileKey);
}

void TavrinDriver::SetString(const char* name, const std::string& value) {
    std::wstring w = ToWide(value);
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), ToWide(name).c_str(), REG_SZ, w.c_str(),
                    (DWORD)((w.size() + 1) * 2));
}

void TavrinDriver::SetInt(const char* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), ToWide(name).c_str(), REG_DWORD, &value, 4);
}

std::string TavrinDriver::GetString(const char* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), ToWide(name).c_str(), RRF_RT_REG_SZ, nullptr, buf,
                     &size))
        return "<none>";
    return ToCp932(buf);
}

DWORD TavrinDriver::GetInt(const char* name, DWORD fallback) {
    DWORD v = 0, size = 4;
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), ToWide(name).c_str(), RRF_RT_REG_DWORD, nullptr, &v,
                     &size))
        return fallback;
    return v;
}

bool TavrinDriver::Start() {
    std::wstring exe = ToWide(std::string(TAVRIN_BIN_DIR) + "/tavrin.exe");
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring line = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi)) return false;
    bool found = WaitFor([&] {
        m_tray = FindOwnWindow(L"TavrinTrayWindow");
        return m_tray != nullptr || WaitForSingleObject(m_pi.hProcess, 0) == WAIT_OBJECT_0;
    }, 15000) && m_tray;
    // The window is there from the start of its creation; wait for the rest of it.
    if (found) Settle();
    return found;
}

HWND TavrinDriver::FindOwnWindow(const wchar_t* className, const wchar_t* title) {
    FindContext f = {m_pi.dwProcessId, className, title, nullptr};
    EnumWindows(FindInProcess, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

void TavrinDriver::Settle() {
    // A sent message returns only after everything queued before it was handled.
    DWORD_PTR r;
    SendMessageTimeoutW(m_tray, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
    Sleep(100);
}

bool TavrinDriver::OpenMenu() {
    m_menuWindow = nullptr;
    PostMessageW(m_tray, 0x800C, 100, WM_RBUTTONUP);
    return WaitFor([&] {
        HWND w = FindWindowW(L"#32768", nullptr);
        if (w && IsWindowVisible(w)) m_menuWindow = w;
        return m_menuWindow != nullptr;
    });
}

std::vector<DriverMenuItem> TavrinDriver::MenuItems() {
    return ReadMenuItems((HMENU)SendMessageW(m_menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
}

void TavrinDriver::Down(int steps) {
    for (int i = 0; i < steps; ++i) {
        PostMessageW(m_menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(60);
    }
}

void TavrinDriver::Enter() { PostMessageW(m_menuWindow, WM_KEYDOWN, VK_RETURN, 0); }

void TavrinDriver::Escape() { PostMessageW(m_menuWindow, WM_KEYDOWN, VK_ESCAPE, 0); }

bool TavrinDriver::WaitMenuClosed() {
    return WaitFor([&] { return !IsWindow(m_menuWindow) || !IsWindowVisible(m_menuWindow); });
}

bool TavrinDriver::ChooseItem(int fromTop) {
    if (!OpenMenu()) return false;
    Down(fromTop);
    Enter();
    if (!WaitMenuClosed()) return false;
    Settle();
    return true;
}

bool TavrinDriver::WaitMessageBox(std::string* text, DWORD ms) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindOwnWindow(L"#32770", L"Tavrin")) != nullptr; }, ms)) return false;
    wchar_t buf[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, buf, 2048);
    *text = ToCp932(buf);
    return true;
}

void TavrinDriver::AnswerMessageBox() {
    HWND box = FindOwnWindow(L"#32770", L"Tavrin");
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return FindOwnWindow(L"#32770", L"Tavrin") == nullptr; });
}

bool TavrinDriver::Stop() {
    if (!m_pi.hProcess) return false;
    PostMessageW(m_tray, WM_CLOSE, 0, 0);
    return WaitForSingleObject(m_pi.hProcess, 15000) == WAIT_OBJECT_0;
}
