#pragma once
// The hidden main window: it owns the context, puts the icon into the
// notification area, and saves everything when the log-on or the program ends.
#include <memory>
#include <string>

#include "framework/Window.h"
#include "list/AppContext.h"

constexpr UINT WM_TRAYNOTIFY = 0x800C;
constexpr UINT kTrayIconId = 100;

class TrayWindow : public Window {
public:
    static constexpr const wchar_t* kClassName = L"TavrinTrayWindow";
    static constexpr const char* kTitle = "Tavrin 2.0β";
    static constexpr const char* kAppTip = "Tavrin";

    explicit TrayWindow(ProfileStore& profile);
    ~TrayWindow() override;

    // Creates the hidden window (and, in WM_CREATE, everything it owns).
    bool Create();

    AppContext* context() { return m_context.get(); }
    // The program's main window ends the message loop when it is gone.
    void SetEndsProgram(bool ends) { m_endsProgram = ends; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnTrayNotify(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    void OnExit();

    bool TrayIcon(DWORD action, HICON icon, const char* tip);

    static const MessageEntry<TrayWindow> kMessages[];
    static const CommandEntry<TrayWindow> kCommands[];

    ProfileStore& m_profile;
    std::unique_ptr<AppContext> m_context;
    bool m_busy = false;
    UINT m_taskbarCreated = 0;
    bool m_endsProgram = false;
};
