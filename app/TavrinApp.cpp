#include "app/TavrinApp.h"

#include "remote/SingleInstance.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "res/resource.h"

std::string AppTitleString() {
    wchar_t buf[256];
    int n = LoadStringW(GetModuleHandleW(nullptr), IDS_APP_TITLE, buf, 256);
    return n > 0 ? ToCp932(std::wstring(buf, n)) : std::string(kAppTitle);
}

bool TavrinApp::InitInstance() {
    // A second start in the same log-on session leaves the list and the
    // settings alone: the running copy says that it is already there.
    m_instance = std::make_unique<SingleInstance>();
    if (!m_instance->IsFirst()) {
        NotifyRunningInstance(TrayWindow::kClassName, 2000);
        return false;
    }

    SetRegistryKey(kCompanyKey, AppTitleString());

    m_tray = std::make_unique<TrayWindow>(profile());
    m_tray->SetEndsProgram(true);
    if (!m_tray->Create()) return false;
    SetMainWindow(m_tray->hwnd());
    return true;
}
