#include "framework/Application.h"

#include "framework/TextBridge.h"

namespace {
Application* g_current = nullptr;
}


Application::Application() { g_current = this; }

Application::~Application() {
    SetAppProfile(nullptr);
    if (g_current == this) g_current = nullptr;
}

Application* Application::Current() { return g_current; }

void Application::SetRegistryKey(const std::string& company, const std::string& appTitle) {
    std::wstring key = L"Software\\" + ToWide(company) + L"\\" + ToWide(appTitle);
    m_profile = std::make_unique<RegistryProfile>(HKEY_CURRENT_USER, key);
    SetAppProfile(m_profile.get());
}

int Application::Run() {
    if (!InitInstance()) return 1;
    MSG msg;
    int rc;
    while ((rc = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (rc == -1) return 1;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
