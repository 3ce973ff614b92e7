#pragma once
// Drives the real tavrin.exe from another process: starts it with a
// prepared profile, finds its windows, opens its menu, reads the menu's
// items, picks one by keyboard, answers its message boxes, ends it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/TestSupport.h"

using DriverMenuItem = MenuItemSeen;

class TavrinDriver {
public:
    static constexpr const wchar_t* kProfileKey = L"Software\\Vandrel Software\\Tavrin";

    TavrinDriver();
    ~TavrinDriver();

    // Profile values written before the start (section "Settings").
    void SetString(const char* name, const std::string& value);
    void SetInt(const char* name, DWORD value);
    std::string GetString(const char* name);
    DWORD GetInt(const char* name, DWORD fallback);

    bool Start();
    HWND tray() const { return m_tray; }
    // Posts the right click on the icon and waits for the menu.
    bool OpenMenu();
    std::vector<DriverMenuItem> MenuItems();
    HWND menuWindow() const { return m_menuWindow; }
    // Moves the highlight down `steps` items (from none: the first is 1).
    void Down(int steps);
    void Enter();
    void Escape();
    bool WaitMenuClosed();
    // Opens the menu, chooses the n-th item from the top by keyboard and
    // waits until the program has handled the choice.
    bool ChooseItem(int fromTop);
    // The text of a message box captioned "Tavrin" when one shows within `ms`.
    bool WaitMessageBox(std::string* text, DWORD ms = 5000);
    void AnswerMessageBox();
    // WM_CLOSE, then waits for the process to end.
    bool Stop();
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    HANDLE process() const { return m_pi.hProcess; }
    HWND FindOwnWindow(const wchar_t* className, const wchar_t* title = nullptr);
    // Lets the program handle everything queued so far.
    void Settle();

private:
    PROCESS_INFORMATION m_pi = {};
    HWND m_tray = nullptr;
    HWND m_menuWindow = nullptr;
};

// Wait helpers.
bool WaitFor(const std::function<bool()>& condition, DWORD ms = 5000);
std::string DesktopWallpaper();
std::string DesktopValue(const wchar_t* name);
// The text of a control in the program's process (WM_GETTEXT crosses
// processes where GetWindowText does not); empty when it does not answer.
std::string ControlText(HWND control);
