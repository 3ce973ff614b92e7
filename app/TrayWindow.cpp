#include "app/TrayWindow.h"

#include <shellapi.h>

#include <cstring>
#include <set>
#include <vector>

#include "app/IconTip.h"
#include "app/PostChangeCommand.h"
#include "remote/RemoteCommand.h"
#include "remote/RemoteCommandHandler.h"
#include "remote/SingleInstance.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "res/resource.h"
#include "ui/SettingsDialog.h"
#include "ui/SettingsFollowUp.h"
#include "ui/WallpaperEntryDialog.h"
#include "ui/WallpaperListDialog.h"
#include "util/PathPieces.h"

namespace {
const char* const kNoEntriesItem = "未登録";
const char* const kSelectionGoneMessage =
    "現在選択されている壁紙がリストから消去されています。\n選択し直してください。";
const char* const kAlreadyRunning = "Tavrin はすでに起動しています。";

// The icon at the size the notification area shows, so it stays sharp at
// every scale (LoadIcon would hand the large size over to be shrunk).
HICON LoadTrayIconImage() {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}
}

UINT WallpaperMenuFlags(const CWallPaperData& entry, const AppSettings& settings) {
    UINT flags = MF_STRING;
    if (!settings.enableSPI && LowerCp932(entry.m_strPath).find(".bmp") == std::string::npos) flags |= MF_GRAYED;
    if (entry.m_strPath == settings.selectedWallPaper && entry.m_nStyle == settings.viewStyle) flags |= MF_CHECKED;
    return flags;
}

TrayWindow::NotifyIconFn TrayWindow::s_notifyIcon = &Shell_NotifyIconW;

const MessageEntry<TrayWindow> TrayWindow::kMessages[] = {
    {WM_CREATE, &TrayWindow::OnCreate},
    {WM_TRAYNOTIFY, &TrayWindow::OnTrayNotify},
    {WM_TIMER, &TrayWindow::OnTimer},
    {WM_RBUTTONUP, &TrayWindow::OnRButtonUp},
    {WM_MENUSELECT, &TrayWindow::OnMenuSelect},
    {WM_DISPLAYCHANGE, &TrayWindow::OnDisplayChange},
    {WM_QUERYENDSESSION, &TrayWindow::OnQueryEndSession},
    {WM_CLOSE, &TrayWindow::OnClose},
    {WM_DESTROY, &TrayWindow::OnDestroy},
    {WM_COPYDATA, &TrayWindow::OnCopyData},
    {WM_POWERBROADCAST, &TrayWindow::OnPowerBroadcast},
    {WM_LOOKFORCHANGE, &TrayWindow::OnLookForChange},
};

const CommandEntry<TrayWindow> TrayWindow::kCommands[] = {
    {ID_LIST_SHOW, &TrayWindow::OnListDialog},
    {ID_ENTRY_ADD, &TrayWindow::OnAddEntry},
    {ID_SETTINGS, &TrayWindow::OnSettings},
    {ID_HELP_TOPICS, &TrayWindow::OnHelp},
    {ID_APP_EXIT_TRAY, &TrayWindow::OnExit},
};

TrayWindow::TrayWindow(ProfileStore& profile) : m_profile(profile) {
    m_work.SetOnIdle([this] { OnWorkReturned(); });
}

TrayWindow::~TrayWindow() {
    if (m_menu) DestroyMenu(m_menu);
}

bool TrayWindow::Create() {
    return CreateEx(WS_EX_TOOLWINDOW, kClassName, kTitle, 0, 0, 0, 0, 0, nullptr, nullptr);
}

LRESULT TrayWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchMessageTable(this, kMessages, message, wParam, lParam, &result)) return result;
    if (message == WM_COMMAND) {
        // Under running work only the exit passes (and its close waits).
        if (busy() && !(HIWORD(wParam) == 0 && LOWORD(wParam) == ID_APP_EXIT_TRAY)) return 0;
        if (HIWORD(wParam) == 0 && DispatchCommandTable(this, kCommands, LOWORD(wParam))) return 0;
        if (HIWORD(wParam) == 0 && m_monitors && m_monitors->IsMenuCommand(LOWORD(wParam))) {
            OnMonitorCommand(LOWORD(wParam));
            return 0;
        }
        if (HIWORD(wParam) == 0 && m_changer && m_changer->HandleMenuCommand(LOWORD(wParam))) return 0;
        return OnWallpaperCommand(wParam);
    }
    // The notification area was re-created (Explorer restarted): put the icon back.
    if (m_taskbarCreated && message == m_taskbarCreated) {
        TrayIcon(NIM_ADD, LoadTrayIconImage(), m_tip.c_str());
        return 0;
    }
    if (m_alreadyRunning && message == m_alreadyRunning) {
        ShowAlreadyRunningTip();
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

LRESULT TrayWindow::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    m_context = std::make_unique<AppContext>(m_profile);
    m_applier = std::make_unique<WallPaperApplier>(*m_context);
    m_changer = std::make_unique<WallpaperChanger>(
        *m_context, hwnd(), kAutoChangeTimer, [this](const CWallPaperData& entry) { return ApplyAndRunCommand(entry); },
        &m_work);
    m_preview.SetWorkInProgress(&m_work);
    m_context->cache().SetPreviewsWaiting(
        [this] { SetTimer(hwnd(), kStorePreviewsTimer, kStorePreviewsDelay, nullptr); });
    m_preview.Create(m_context.get(), m_context->settings().enableHalfTone);
    m_monitors = std::make_unique<MonitorTargets>(m_profile);
    m_monitors->Load();
    UpdateMonitors();
    m_applier->SetMonitorTargets(m_monitors.get());
    m_changer->SetNextAction([this](bool automatic) { return NextOnEveryMonitor(automatic); });
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    m_alreadyRunning = AlreadyRunningMessage();

    // The wallpaper of the last run comes back, without the effect.
    AppSettings& settings = m_context->settings();
    if (!settings.selectedWallPaper.empty() || m_monitors->AnyPresentChoice()) {
        WorkScope restoring(&m_work);
        CWallPaperData restored(std::string(), settings.selectedWallPaper, settings.viewStyle);
        m_applier->ApplyAtStartUp(restored);
        RunPostChangeCommand(settings.postChangeCommand);
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    HICON small = LoadTrayIconImage();
    m_tip = CurrentTip();
    TrayIcon(NIM_ADD, small, m_tip.c_str());
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, (LPARAM)LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME)));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, (LPARAM)small);
    m_ready = true;
    if (settings.preloadPreviewPics) SetTimer(hwnd(), kPreviewsAheadTimer, kPreviewsAheadDelay, nullptr);
    return 0;
}

LRESULT TrayWindow::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != kTrayIconId) return 0;
    switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDOWN:
        m_doubleClick = 0;
        SetTimer(hwnd(), kClickTimer, GetDoubleClickTime(), nullptr);
        break;
    case WM_LBUTTONUP:
        if (m_doubleClick) PostMessageW(hwnd(), WM_LBUTTONDBLCLK, 0, 0);
        break;
    case WM_LBUTTONDBLCLK:
        m_doubleClick = 1;
        KillTimer(hwnd(), kClickTimer);
        break;
    case WM_RBUTTONUP:
        PostMessageW(hwnd(), WM_RBUTTONUP, 0, 0);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT TrayWindow::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kClickTimer) {
        // A single click; the left button opens nothing.
        KillTimer(hwnd(), kClickTimer);
        PostMessageW(hwnd(), WM_LBUTTONUP, 0, 0);
        return 0;
    }
    if (wParam == kPreviewsAheadTimer) {
        if (busy()) return 0;  // tried again at the next tick
        KillTimer(hwnd(), kPreviewsAheadTimer);
        m_context->cache().Synchronize();
        return 0;
    }
    if (wParam == kStorePreviewsTimer) {
        // Not held back by the open menu (the pictures would pile up in it),
        // but by a key or a message waiting: they come first, and the store
        // is made in the quiet of the next rest.
        if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0) return 0;  // tried again at the next tick
        KillTimer(hwnd(), kStorePreviewsTimer);
        m_context->cache().StoreWaitingPreviews();
        return 0;
    }
    if (wParam == kDisplayChangeTimer) {
        if (busy() || !m_applier) return 0;  // tried again at the next tick
        KillTimer(hwnd(), kDisplayChangeTimer);
        WorkScope relayout(&m_work);
        UpdateMonitors();
        m_applier->Relayout();
        return 0;
    }
    if (wParam == kAutoChangeTimer) {
        if (m_changer) m_changer->Look();
        return 0;
    }
    return Default();
}

void TrayWindow::InsertWallpaperItems(HMENU popup) {
    const AppSettings& settings = m_context->settings();
    UINT command = kFirstWallpaperCommand;
    bool inserted = false;
    // The tick goes to what the target monitor shows.
    const MonitorChoice all{settings.selectedWallPaper, settings.viewStyle};
    const MonitorChoice shown = m_monitors ? m_monitors->ShownOnTarget(all) : all;
    for (const auto& entry : m_context->list().entries()) {
        if (!entry->m_bInUse) continue;
        UINT flags = WallpaperMenuFlags(*entry, settings) & ~MF_CHECKED;
        if (entry->m_strPath == shown.path && entry->m_nStyle == shown.style) flags |= MF_CHECKED;
        // Each item goes on top, so the last entry of the list is the first item.
        InsertMenuW(popup, 0, MF_BYPOSITION | flags, command,
                    ToWide(entry->m_strName).c_str());
        ++command;
        inserted = true;
    }
    if (!inserted)
        InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, command, ToWide(kNoEntriesItem).c_str());
}

LRESULT TrayWindow::OnRButtonUp(WPARAM, LPARAM) {
    if (busy() || !m_context) return 0;
    WorkScope tracking(&m_work);
    POINT at;
    GetCursorPos(&at);
    if (m_menu) DestroyMenu(m_menu);
    m_menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    HMENU popup = m_menu ? GetSubMenu(m_menu, 0) : nullptr;
    if (!popup) return 0;
    InsertWallpaperItems(popup);
    if (m_monitors) m_monitors->InsertSubmenu(popup, ID_LIST_SHOW);
    if (m_changer) m_changer->MarkMenu(popup);

    SetForegroundWindow(hwnd());
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    PostMessageW(hwnd(), WM_USER, 0, 0);  // lets the menu close properly when focus moves away
    return Default();
}

std::string TrayWindow::MenuText(UINT command) const {
    if (!m_menu) return std::string();
    int length = GetMenuStringW(m_menu, command, nullptr, 0, MF_BYCOMMAND);
    if (length <= 0) return std::string();
    std::vector<wchar_t> text(length * 2 + 2, L'\0');
    int got = GetMenuStringW(m_menu, command, text.data(), (int)text.size(), MF_BYCOMMAND);
    return ToCp932(std::wstring(text.data(), got > 0 ? got : 0));
}

LRESULT TrayWindow::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    LRESULT result = Default();
    if (!m_context || !m_context->settings().enableSelectPreview) return result;
    UINT item = LOWORD(wParam);
    if (item == 0) {
        HidePreview(m_preview.hwnd());
        return result;
    }
    if (HIWORD(wParam) & MF_POPUP) return result;
    if (m_monitors && m_monitors->IsMenuCommand(item)) return result;
    (void)lParam;
    std::string text = MenuText(item);
    if (text.empty()) return result;
    if (const CWallPaperData* entry = m_context->list().FindByDisplayName(text))
        PostPreviewRequest(m_preview.hwnd(), entry->m_strPath, entry->m_nStyle);
    return result;
}

LRESULT TrayWindow::OnWallpaperCommand(WPARAM wParam) {
    if (HIWORD(wParam) != 0 || !m_context) return Default();
    std::string text = MenuText(LOWORD(wParam));
    if (text.empty()) return Default();
    if (const CWallPaperData* entry = m_context->list().FindByDisplayName(text)) {
        CWallPaperData chosen = *entry;  // the list may change while applying
        ApplyAndRunCommand(chosen);
    }
    return 0;
}

LRESULT TrayWindow::OnDisplayChange(WPARAM, LPARAM) {
    // The system sends several of these while monitors come and go.
    SetTimer(hwnd(), kDisplayChangeTimer, kDisplayChangeDelay, nullptr);
    return Default();
}

void TrayWindow::UpdateMonitors() {
    m_monitors->SetMonitors(EnumerateMonitors());
    PreviewOnTarget();
}

void TrayWindow::PreviewOnTarget() {
    RECT monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, work = monitor;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (const MonitorInfo* target = m_monitors->target()) {
        monitor = RECT{target->rect.left, target->rect.top, target->rect.right, target->rect.bottom};
        work = RECT{target->work.left, target->work.top, target->work.right, target->work.bottom};
    }
    m_preview.SetMonitor(monitor, work);
    // For all monitors a span picture covers the virtual screen; for one it is fill there.
    RECT span = {0, 0, 0, 0};
    if (!m_monitors->target()) {
        span.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        span.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        span.right = span.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
        span.bottom = span.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    }
    m_preview.SetSpanArea(span);
}

void TrayWindow::OnMonitorCommand(UINT command) {
    m_monitors->OnMenuCommand(command);
    m_monitors->Save();
    PreviewOnTarget();
}

bool TrayWindow::NextOnEveryMonitor(bool automatic) {
    if (!m_monitors || !m_monitors->AnyPresentChoice()) return m_changer->Next(automatic);
    const std::vector<MonitorInfo>& monitors = m_monitors->monitors();
    const AppSettings& settings = m_context->settings();
    const MonitorChoice allMonitors{settings.selectedWallPaper, settings.viewStyle};
    auto shownOn = [&](const MonitorInfo& monitor) {
        const MonitorChoice* own = m_monitors->ChoiceFor(monitor.identity);
        const MonitorChoice& shown = own ? *own : allMonitors;
        return WallpaperKey(shown.path, shown.style);
    };
    const MonitorInfo* target = m_monitors->target();
    const int targetIndex = target ? static_cast<int>(target - monitors.data()) : -1;
    bool changed = false;
    NextAttempt attempt;
    // Every monitor takes its step in turn, each as a change aimed at it.
    for (size_t i = 0; i < monitors.size(); ++i) {
        std::set<std::string> elsewhere;
        for (size_t j = 0; j < monitors.size(); ++j)
            if (j != i) elsewhere.insert(shownOn(monitors[j]));
        const std::string current = shownOn(monitors[i]);
        m_monitors->SetTarget(static_cast<int>(i));
        changed = m_changer->Next(automatic, elsewhere, &current, &attempt) || changed;
    }
    // The user's target again, also in the profile (each change saved its own).
    m_monitors->SetTarget(targetIndex);
    m_monitors->Save();
    m_changer->ReportNothingShown(automatic, attempt);
    return changed;
}

bool TrayWindow::ApplyAndRunCommand(const CWallPaperData& entry) {
    WorkScope applying(&m_work);
    bool applied = m_applier->Apply(entry);
    if (applied && m_changer) m_changer->NoteChange();
    RunPostChangeCommand(m_context->settings().postChangeCommand);
    return applied;
}

// The list, add and settings dialogs.  While one is open a right click on
// the icon does nothing.  A list changed by a dialog is saved at once, so
// no crash or power cut later can take the user's edits with it.
void TrayWindow::OnListDialog() {
    WorkScope busy(&m_work);
    AppSettings& settings = m_context->settings();
    const std::string selected = settings.selectedWallPaper;
    bool changed = false, modified = false;
    {
        WallpaperListDialog dialog(*m_context);
        dialog.DoModal(nullptr);
        changed = dialog.listChanged();
        modified = dialog.listModified();
    }
    // The edits reach the disk first: with preloading on, the synchronisation
    // decodes every listed picture, which takes long and runs plug-in code.
    if (modified) m_context->list().Save();
    // With no wallpaper selected there is nothing that could have gone.
    if (changed && !selected.empty() && !m_context->list().FindByImagePath(selected)) {
        ShowAppMessage(kSelectionGoneMessage, MB_OK | MB_ICONEXCLAMATION);
        settings.selectedWallPaper.clear();
    }
    m_context->cache().Synchronize();
}

void TrayWindow::OnAddEntry() {
    WorkScope busy(&m_work);
    WallpaperEntryDialog dialog(*m_context);
    INT_PTR result = dialog.DoModal(nullptr);
    if (result == IDOK) {
        auto entry = std::make_unique<CWallPaperData>(dialog.displayName(), dialog.path(), dialog.style());
        entry->m_bInUse = true;
        m_context->list().InsertFront(std::move(entry));
        m_context->list().Save();  // before the synchronisation's decoding
    }
    m_context->cache().Synchronize();
}

void TrayWindow::OnSettings() {
    WorkScope busy(&m_work);
    bool listPathChanged = false;
    {
        SettingsDialog dialog(*m_context);
        dialog.DoModal(nullptr);  // no owner; its result does not matter
        listPathChanged = dialog.listPathChanged();
    }
    AfterSettingsDialog(*m_context, m_preview, listPathChanged);
}

void TrayWindow::OnHelp() {
    std::wstring help = ToWide(m_context->settings().programDirectory + "Tavrin.chm");
    ShellExecuteW(hwnd(), L"open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The log-off may still be cancelled, so nothing is closed; the save runs at
// once even under running work (it frees nothing that work uses), since the
// session may end before that work returns.
LRESULT TrayWindow::OnQueryEndSession(WPARAM, LPARAM) {
    if (!Default()) return FALSE;
    WorkScope saving(&m_work);  // a save may report a failure and wait
    if (m_context) m_context->SaveAll();
    return TRUE;
}

LRESULT TrayWindow::OnClose(WPARAM, LPARAM) {
    if (m_destroying) return 0;
    if (busy()) {
        m_closePending = true;  // carried out by OnWorkReturned
        return 0;
    }
    return Default();
}

void TrayWindow::OnWorkReturned() {
    if (m_destroying || !hwnd()) return;
    // Every change of the wallpaper, the list or the monitors is such work.
    UpdateTip();
    // An automatic change that fell due meanwhile is made next, not inside
    // the work that just ended: a command's sender is answered first.
    if (m_changer && !m_closePending) PostMessageW(hwnd(), WM_LOOKFORCHANGE, 0, 0);
    if (!m_closePending) return;
    m_closePending = false;
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

LRESULT TrayWindow::OnDestroy(WPARAM, LPARAM) {
    // The saves below may show a box: the menu stays shut meanwhile.
    m_destroying = true;
    WorkScope destroying(&m_work);
    if (m_preview.hwnd()) DestroyWindow(m_preview.hwnd());
    m_changer.reset();
    m_applier.reset();
    m_monitors.reset();
    m_context.reset();  // saves the list and the settings
    TrayIcon(NIM_DELETE, nullptr, nullptr);
    return Default();
}

LRESULT TrayWindow::OnCopyData(WPARAM, LPARAM lParam) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    ParsedCommand command;
    if (!copy || !DecodeRemoteCommand(copy->dwData, copy->lpData, copy->cbData, &command)) return kRemoteUsage;
    if (!m_ready || m_destroying) return m_destroying ? kRemoteNotReached : kRemoteNotReady;
    // A dialog or box is open: the list it shows must not change under it.
    if (busy()) return kRemoteBusy;
    std::vector<RecordingMessageSink::Shown> messages;
    LRESULT result;
    {
        // The sender is answered first; what the command has to say is shown after.
        WorkScope running(&m_work);
        ScopedMessageRecorder recorder;
        RemoteCommandActions actions;
        actions.apply = [this](const CWallPaperData& entry) { return ApplyAndRunCommand(entry); };
        actions.openList = [this] { PostMessageW(hwnd(), WM_COMMAND, ID_LIST_SHOW, 0); };
        result = CarryOutRemoteCommand(command, *m_context, *m_changer, actions);
        messages = recorder.shown;
    }
    ReplyMessage(result);
    for (const auto& message : messages) {
        WorkScope showing(&m_work);
        ShowAppMessage(message.text, message.type);
    }
    return result;
}

LRESULT TrayWindow::OnPowerBroadcast(WPARAM wParam, LPARAM) {
    // Back from sleep: a change that fell due meanwhile is made once.
    if ((wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) && m_changer) m_changer->Look();
    return TRUE;
}

LRESULT TrayWindow::OnLookForChange(WPARAM, LPARAM) {
    // Work that began meanwhile posts another look when it returns.
    if (!busy() && !m_destroying && !m_closePending && m_changer) m_changer->Look();
    return 0;
}

void TrayWindow::OnExit() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

void TrayWindow::PostNcDestroy() {
    // The main window is gone: the program ends.  The application object
    // owns this object and deletes it after the message loop.
    if (m_endsProgram) PostQuitMessage(0);
}

std::string TrayWindow::DisplayNameOf(const MonitorChoice& shown) const {
    if (shown.path.empty()) return std::string();
    const WallPaperEntries& entries = m_context->list().entries();
    // The entry the menu ticks; else the first of that picture; else its file name.
    for (const auto& entry : entries)
        if (entry->m_strPath == shown.path && entry->m_nStyle == shown.style) return entry->m_strName;
    for (const auto& entry : entries)
        if (entry->m_strPath == shown.path) return entry->m_strName;
    return FileNameOf(shown.path);
}

std::string TrayWindow::CurrentTip() const {
    if (!m_context) return kAppTip;
    const AppSettings& settings = m_context->settings();
    const MonitorChoice all{settings.selectedWallPaper, settings.viewStyle};
    std::vector<std::string> names;
    if (m_monitors && m_monitors->several() && m_monitors->AnyPresentChoice()) {
        for (const MonitorInfo& monitor : m_monitors->monitors()) {
            const MonitorChoice* own = m_monitors->ChoiceFor(monitor.identity);
            names.push_back(DisplayNameOf(own ? *own : all));
        }
    } else {
        names.push_back(DisplayNameOf(all));
    }
    return IconTipText(names);
}

void TrayWindow::UpdateTip() {
    if (!m_ready) return;  // the icon is added with the tip of its time
    std::string tip = CurrentTip();
    if (tip == m_tip) return;
    m_tip = tip;
    TrayIcon(NIM_MODIFY, nullptr, m_tip.c_str());
}

bool TrayWindow::TrayIcon(DWORD action, HICON icon, const char* tip) {
    static HICON lastIcon = nullptr;
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    // A new icon is sent only when it changed, and always when (re-)adding.
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
    return s_notifyIcon(action, &data) != FALSE;
}

void TrayWindow::ShowAlreadyRunningTip() {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = 10000;
    std::wstring text = ToWide(kAlreadyRunning), title = ToWide(kAppTip);
    wcsncpy(data.szInfo, text.c_str(), sizeof(data.szInfo) / sizeof(data.szInfo[0]) - 1);
    wcsncpy(data.szInfoTitle, title.c_str(), sizeof(data.szInfoTitle) / sizeof(data.szInfoTitle[0]) - 1);
    s_notifyIcon(NIM_MODIFY, &data);
}
