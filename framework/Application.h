#pragma once
// The application object: start-up hook, the per-user profile and the
// message loop.  The program ends when its main window is destroyed.
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Profile.h"

class Application {
public:
    Application();
    virtual ~Application();

    static Application* Current();

    // Start-up; return false to end at once.
    virtual bool InitInstance() = 0;
    // Runs InitInstance and then the message loop; returns the exit code.
    int Run();

    // Keeps the profile under HKEY_CURRENT_USER\Software\<company>\<title>.
    void SetRegistryKey(const std::string& company, const std::string& appTitle);
    ProfileStore& profile() { return AppProfile(); }

    void SetMainWindow(HWND hwnd) { m_mainWindow = hwnd; }
    HWND mainWindow() const { return m_mainWindow; }

private:
    std::unique_ptr<RegistryProfile> m_profile;
    HWND m_mainWindow = nullptr;
};
