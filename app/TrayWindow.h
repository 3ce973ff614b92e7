#pragma once
// The hidden main window: it owns the context, the applier and the preview
// window, puts the icon into the notification area, shows the wallpaper menu
// on a right click, applies the chosen wallpaper, and saves everything when
// the log-on or the program ends.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "desktop/MonitorTargets.h"
#include "desktop/WallPaperApplier.h"
#include "changer/WallpaperChanger.h"
#include "framework/Window.h"
#include "ui/PreviewWindow.h"
#include "context/AppContext.h"
#include "util/WorkInProgress.h"

constexpr UINT WM_TRAYNOTIFY = 0x800C;
constexpr UINT kTrayIconId = 100;
constexpr UINT kFirstWallpaperCommand = 300;
constexpr UINT kClickTimer = 1;
// Lays the desktop out again once the monitors have settled after a change.
constexpr UINT kDisplayChangeTimer = 2;
constexpr UINT kDisplayChangeDelay = 500;
// Previews are made ahead once the start is over, so it costs the start nothing.
constexpr UINT kPreviewsAheadTimer = 4;
constexpr UINT kPreviewsAheadDelay = 1000;
constexpr UINT kAutoChangeTimer = 3;
// A picture decoded for a preview is shown first; its preview is stored
// after, once the window has painted (timers come after painting) and no
// key waits.  The delay leaves time for the next key, so the storing falls
// into the rest before the next decode.
constexpr UINT kStorePreviewsTimer = 5;
constexpr UINT kStorePreviewsDelay = 25;
// Posted when the window's work has returned: a due automatic change is made
// from the message loop, after whoever waits on that work has been answered.
constexpr UINT WM_LOOKFORCHANGE = WM_APP + 0x10;

// The menu's flags for one entry: greyed when plug-ins are off and the path
// names no bitmap, checked when it is the wallpaper in use in its style.
UINT WallpaperMenuFlags(const CWallPaperData& entry, const AppSettings& settings);

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
    PreviewWindow& preview() { return m_preview; }
    HMENU loadedMenu() const { return m_menu; }
    MonitorTargets* monitors() { return m_monitors.get(); }
    WallpaperChanger* changer() { return m_changer.get(); }
    const std::string& tip() const { return m_tip; }
    // Work of this window that can show a box or a dialog and wait for it
    // (applying a wallpaper, loading a picture for the preview, the menu, a
    // dialog, a save) marks itself with `WorkScope busy(&tray.work());`.
    // While any runs, the menu does not open, commands other than the exit
    // are ignored, and a close waits until the work has returned.
    bool busy() const { return m_work.busy(); }
    WorkInProgress& work() { return m_work; }
    // The program's main window ends the message loop when it is gone.
    void SetEndsProgram(bool ends) { m_endsProgram = ends; }

    // The notification-area call; tests put a recorder in its place.
    using NotifyIconFn = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    static NotifyIconFn s_notifyIcon;

    // Fills `popup` with the wallpaper items above its first item.
    void InsertWallpaperItems(HMENU popup);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnTrayNotify(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnRButtonUp(WPARAM, LPARAM);
    LRESULT OnMenuSelect(WPARAM, LPARAM);
    LRESULT OnDisplayChange(WPARAM, LPARAM);
    // The monitors as they are now; the preview follows the target.
    void UpdateMonitors();
    void PreviewOnTarget();
    void OnMonitorCommand(UINT command);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    // A command from the command line (RemoteCommand.h); the answer is its exit code.
    LRESULT OnCopyData(WPARAM, LPARAM);
    LRESULT OnPowerBroadcast(WPARAM, LPARAM);
    LRESULT OnLookForChange(WPARAM, LPARAM);
    void OnListDialog();
    void OnAddEntry();
    void OnSettings();
    void OnHelp();
    void OnExit();
    LRESULT OnWallpaperCommand(WPARAM wParam);

    bool ApplyAndRunCommand(const CWallPaperData& entry);
    // "Next": with wallpapers of their own on the monitors, each monitor
    // moves on to its own next picture, never to one another monitor shows.
    bool NextOnEveryMonitor(bool automatic);
    void OnWorkReturned();
    std::string MenuText(UINT command) const;
    bool TrayIcon(DWORD action, HICON icon, const char* tip);
    // The icon's tip for the wallpapers shown now (IconTip.h).
    std::string CurrentTip() const;
    // The display name of what a monitor shows; empty for nothing.
    std::string DisplayNameOf(const MonitorChoice& shown) const;
    // Sends the tip again when it changed.
    void UpdateTip();
    // The balloon from the icon when the program is started a second time.
    void ShowAlreadyRunningTip();

    static const MessageEntry<TrayWindow> kMessages[];
    static const CommandEntry<TrayWindow> kCommands[];

    ProfileStore& m_profile;
    // Declared before everything the running work uses, so it goes last.
    WorkInProgress m_work;
    bool m_closePending = false;
    bool m_destroying = false;
    PreviewWindow m_preview;
    std::unique_ptr<AppContext> m_context;
    int m_doubleClick = 0;
    HMENU m_menu = nullptr;
    std::unique_ptr<WallPaperApplier> m_applier;
    std::unique_ptr<MonitorTargets> m_monitors;
    std::unique_ptr<WallpaperChanger> m_changer;
    bool m_ready = false;  // creation finished: commands from outside are taken
    UINT m_taskbarCreated = 0;
    UINT m_alreadyRunning = 0;
    bool m_endsProgram = false;
    std::string m_tip = kAppTip;  // the tip the icon has
};
