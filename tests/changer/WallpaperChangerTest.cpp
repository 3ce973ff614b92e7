// "Next", the automatic change and the commands from outside, on a tray
// window of this process.
#include <gtest/gtest.h>

#include "../image/TestPictures.h"
#include "TestSupport.h"
#include "changer/ForegroundState.h"
#include "remote/RemoteCommand.h"
#include "remote/RemoteCommandHandler.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "list/ListFileCodec.h"
#include "util/Cp932Convert.h"
#include "res/resource.h"

namespace {
struct ChangerFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<TrayWindow> tray;
    uint64_t now = 1000;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
    }
    // The tray window with what really stands in the way of a change (the
    // session, the screen, the window's own work); the count starts now.
    void StartWatchingTheScreen() {
        tray = std::make_unique<TrayWindow>(profile);
        ASSERT_TRUE(tray->Create());
        tray->changer()->SetClock([this] { return now; });
        tray->changer()->NoteChange();
    }
    void Start() {
        StartWatchingTheScreen();
        tray->changer()->SetBlocked([this] { return blocked; });
    }
    void TearDown() override {
        if (!tray) return;
        tray->context()->list().SetPath("");
        DestroyWindow(tray->hwnd());
    }
    // Appended to the list: the menu and the list dialog show the last one first.
    std::string Add(const std::string& name, bool picture = true, bool inUse = true) {
        std::string path = dir.File(name);
        if (picture) WriteTestBitmap(path, 8, 8, SolidRed);
        else WriteBytes(path, "not a picture");
        auto e = std::make_unique<CWallPaperData>(name, path, kStyleCentre);
        e->m_bInUse = inUse;
        tray->context()->list().Append(std::move(e));
        return path;
    }
    const std::string& Selected() { return tray->context()->settings().selectedWallPaper; }
    LRESULT Send(ParsedCommand command) {
        std::vector<wchar_t> data = EncodeRemoteCommand(command);
        COPYDATASTRUCT copy = {kRemoteCommandTag, static_cast<DWORD>(data.size() * 2), data.data()};
        return SendMessageW(tray->hwnd(), WM_COPYDATA, 0, (LPARAM)&copy);
    }
    bool blocked = false;
};

// Another program's window in front (front_window.exe), on a monitor whose
// work area is all of it: no taskbar, as where it hides itself or on a
// second monitor.  A maximised window there overhangs the monitor by its frame.
struct FrontWindowFixture : ChangerFixture {
    PROCESS_INFORMATION program = {};
    MONITORINFO monitor = {};
    HWND hiddenTaskbar = nullptr;

    void SetUp() override {
        ChangerFixture::SetUp();
        profile.WriteInt("Settings", "AutoChangeMinutes", 15);
        monitor.cbSize = sizeof(monitor);
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
    }
    void TearDown() override {
        CloseFront();
        if (hiddenTaskbar) ShowWindow(hiddenTaskbar, SW_SHOWNA);
        ChangerFixture::TearDown();
    }
    // Wine's virtual desktop takes its taskbar out of the work area of the
    // programs started while it shows (SPI_SETWORKAREA changes only the
    // caller's own); a tray icon added shows it again.
    void HideTaskbar() {
        HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (!taskbar || !IsWindowVisible(taskbar)) return;
        ShowWindow(taskbar, SW_HIDE);
        hiddenTaskbar = taskbar;
    }
    // The window of front_window.exe `kind` once it is in front; null when it did not come there.
    HWND ShowInFront(const wchar_t* kind) {
        HideTaskbar();
        std::wstring exe = W(std::string(TAVRIN_TEST_BIN_DIR) + "/front_window.exe");
        std::wstring line = L"\"" + exe + L"\" " + kind;
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &program))
            return nullptr;
        HWND front = nullptr;
        bool inFront = PumpMessagesUntil([&] {
            DWORD pid = 0;
            front = GetForegroundWindow();
            return front && GetWindowThreadProcessId(front, &pid) && pid == program.dwProcessId;
        });
        return inFront ? front : nullptr;
    }
    void CloseFront() {
        if (!program.hProcess) return;
        PostThreadMessageW(program.dwThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(program.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(program.hProcess, 1);
        CloseHandle(program.hProcess);
        CloseHandle(program.hThread);
        program = {};
        PumpMessages();
    }
    // The interval passed; the tray window looks as its timer would.
    void LookWhenDue() {
        now += 20 * 60 * 1000;
        tray->changer()->Look();
    }
};

std::vector<std::string> SavedNames(const std::string& file) {
    std::string bytes = ReadBytes(file);
    WallPaperEntries entries;
    std::vector<std::string> names;
    if (DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries) != ListDecodeResult::Ok) return {"?"};
    for (const auto& e : entries) names.push_back(e->m_strName + (e->m_bInUse ? "" : "-") + std::to_string(e->m_nStyle));
    return names;
}
}  // namespace

TEST_F(ChangerFixture, NextFollowsTheMenuOrderAndPassesOverWhatCannotBeShownWithoutABox) {
    Start();
    std::string a = Add("a.bmp"), broken = Add("broken.bmp", false), c = Add("c.bmp");
    Add("off.bmp", true, false);
    std::string jpg = Add("photo.jpg");  // greyed without plug-ins
    tray->context()->settings().selectedWallPaper = c;

    // The menu shows photo.jpg, c, broken, a: after c comes a (broken is passed over).
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_NEXT_WALLPAPER, 0);
    EXPECT_EQ(a, Selected());
    EXPECT_EQ(0u, messages.shown.size()) << messages.shown[0].text;
    // After a (the bottom) it wraps past photo.jpg to c.
    EXPECT_TRUE(tray->changer()->Next(false));
    EXPECT_EQ(c, Selected());
    EXPECT_EQ(0u, messages.shown.size());

    // Nothing else can be shown: one box, and the wallpaper stays.
    WriteBytes(a, "damaged since");
    tray->context()->cache().UnloadAll();
    EXPECT_FALSE(tray->changer()->Next(false));
    EXPECT_EQ(c, Selected());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("次の壁紙に切り替えられませんでした。\n使用中の壁紙に、表示できる画像がありません。", messages.shown[0].text);
    // The automatic change says so once, not at every interval.
    EXPECT_FALSE(tray->changer()->Next(true));
    EXPECT_FALSE(tray->changer()->Next(true));
    EXPECT_EQ(2u, messages.shown.size());
}

TEST_F(ChangerFixture, MenuItemsSettingsAndTheAutomaticChange) {
    profile.WriteInt("Settings", "AutoChangeMinutes", 60);
    Start();
    std::string a = Add("a.bmp"), b = Add("b.bmp");
    EXPECT_EQ(60u * 60 * 1000, tray->changer()->settings().IntervalMs());
    EXPECT_FALSE(tray->changer()->settings().randomOrder);

    // The menu: the submenu's radio mark on the stored interval.
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    HMENU popup = GetSubMenu(menu, 0);
    tray->changer()->MarkMenu(popup);
    wchar_t text[64] = {};
    GetMenuStringW(popup, 1, text, 64, MF_BYPOSITION);
    EXPECT_EQ("次の壁紙(&N)", ToCp932(text));
    GetMenuStringW(popup, 2, text, 64, MF_BYPOSITION);
    EXPECT_EQ("自動切替(&T)", ToCp932(text));
    HMENU sub = GetSubMenu(popup, 2);
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(7, GetMenuItemCount(sub));
    for (UINT id = ID_AUTO_CHANGE_OFF; id <= ID_AUTO_CHANGE_1DAY; ++id) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE | MIIM_FTYPE;
        GetMenuItemInfoW(sub, id, FALSE, &info);
        EXPECT_TRUE(info.fType & MFT_RADIOCHECK);
        EXPECT_EQ(id == ID_AUTO_CHANGE_1HOUR, (info.fState & MFS_CHECKED) != 0) << id;
    }
    EXPECT_FALSE(GetMenuState(sub, ID_RANDOM_ORDER, MF_BYCOMMAND) & MF_CHECKED);
    DestroyMenu(menu);

    // The commands store their choice at once.
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_AUTO_CHANGE_15MIN, 0);
    EXPECT_EQ(15, profile.GetInt("Settings", "AutoChangeMinutes", -1));
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_RANDOM_ORDER, 0);
    EXPECT_EQ(1, profile.GetInt("Settings", "RandomOrder", -1));
    EXPECT_TRUE(tray->changer()->order().shuffled());
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_RANDOM_ORDER, 0);
    EXPECT_EQ(0, profile.GetInt("Settings", "RandomOrder", -1));

    // Due 15 minutes after it was switched on; a menu choice restarts the count.
    tray->context()->settings().selectedWallPaper = b;
    now += 10 * 60 * 1000;
    tray->changer()->Look();
    EXPECT_EQ(b, Selected());
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_NEXT_WALLPAPER, 0);  // to a
    EXPECT_EQ(a, Selected());
    now += 10 * 60 * 1000;
    tray->changer()->Look();
    EXPECT_EQ(a, Selected()) << "15 minutes count from the last change";

    // Due while something is in the way: it waits, then changes once.
    now += 8 * 3600 * 1000;
    blocked = true;
    tray->changer()->Look();
    EXPECT_EQ(a, Selected());
    blocked = false;
    tray->changer()->Look();
    EXPECT_EQ(b, Selected());
    tray->changer()->Look();
    EXPECT_EQ(b, Selected()) << "eight hours missed make one change";

    // Switched off: never due.
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_AUTO_CHANGE_OFF, 0);
    EXPECT_EQ(0, profile.GetInt("Settings", "AutoChangeMinutes", -1));
    now += 48ull * 3600 * 1000;
    tray->changer()->Look();
    EXPECT_EQ(b, Selected());
    EXPECT_EQ(0u, messages.shown.size());
}

// A change that fell due while a command ran waits until the command's
// sender has its answer: a box of that change must not hold the sender up.
TEST_F(ChangerFixture, ADueChangeWaitsUntilTheCommandIsAnswered) {
    Start();
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_AUTO_CHANGE_15MIN, 0);  // counts from now
    std::string a = Add("a.bmp"), b = Add("b.bmp"), added = dir.File("added.bmp");
    WriteTestBitmap(added, 4, 4, Gradient);
    tray->context()->settings().selectedWallPaper = b;
    now += 16 * 60 * 1000;
    EXPECT_EQ(kRemoteDone, Send(ParseCommandLine({L"/add", W(added)})));
    EXPECT_EQ(b, Selected()) << "changed inside the command";
    EXPECT_TRUE(PumpMessagesUntil([&] { return Selected() == a; }));
}

TEST_F(ChangerFixture, CommandsFromOutside) {
    Start();
    std::string a = Add("a.bmp"), b = Add("b.bmp");
    const std::string list = dir.File("List.tvl");

    EXPECT_EQ(kRemoteDone, Send(ParseCommandLine({L"/apply", L"a.bmp"})));
    EXPECT_EQ(a, Selected());
    EXPECT_EQ(kRemoteRefused, Send(ParseCommandLine({L"/apply", L"nothing"})));
    EXPECT_EQ(a, Selected());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("表示名[nothing]の壁紙はリストにありません。", messages.shown[0].text);
    EXPECT_EQ(kRemoteRefused, Send(ParseCommandLine({L"/apply", L"a\u00e9.bmp"}))) << "no code page 932 name";
    EXPECT_EQ(kRemoteDone, Send(ParseCommandLine({L"/next"})));
    EXPECT_EQ(b, Selected());

    // Two pictures and a text file: the pictures at the bottom, in order, saved at once.
    std::string p1 = dir.File("new1.bmp"), p2 = dir.File("new2.BMP"), txt = dir.File("notes.txt");
    WriteTestBitmap(p1, 4, 4, Gradient);
    WriteTestBitmap(p2, 4, 4, Gradient);
    WriteBytes(txt, "hello");
    messages.shown.clear();
    EXPECT_EQ(kRemoteRefused, Send(ParseCommandLine({L"/add", W(p1), W(txt), W(p2), W(dir.File("gone.bmp"))})));
    EXPECT_EQ((std::vector<std::string>{"new2.BMP2", "new1.bmp2", "a.bmp0", "b.bmp0"}), SavedNames(list));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("次のファイルは追加しませんでした。\n" + txt + " (画像ファイルではありません)\n" + dir.File("gone.bmp") +
                  " (ファイルが見つからないか、読めません)",
              messages.shown[0].text);
    EXPECT_EQ(dir.File("new2.BMP"), tray->context()->list().entries()[0]->m_strPath);
    messages.shown.clear();
    EXPECT_EQ(kRemoteDone, Send(ParseCommandLine({L"/add", W(p1)})));
    EXPECT_EQ(5u, SavedNames(list).size());
    EXPECT_TRUE(messages.shown.empty());

    // A dialog or box open: nothing is done.
    {
        WorkScope dialog(&tray->work());
        EXPECT_EQ(kRemoteBusy, Send(ParseCommandLine({L"/next"})));
    }
    EXPECT_EQ(b, Selected());
    // What is not a command.
    const wchar_t garbage[] = L"rm\0-rf";
    COPYDATASTRUCT copy = {kRemoteCommandTag, sizeof(garbage), (void*)garbage};
    EXPECT_EQ(kRemoteUsage, SendMessageW(tray->hwnd(), WM_COPYDATA, 0, (LPARAM)&copy));
}

TEST(ForegroundStateTest, ABorderlessWindowCoveringItsWholeMonitorIsFullScreenAMaximisedOneNever) {
    const RECT monitor = {1920, 0, 3840, 1080};
    const RECT overhanging = {1912, -8, 3848, 1088};  // maximised with no taskbar on this monitor
    EXPECT_TRUE(CoversMonitor({1920, 0, 3840, 1080}, monitor));
    EXPECT_TRUE(CoversMonitor(overhanging, monitor));
    EXPECT_FALSE(CoversMonitor({1920, 0, 3840, 1040}, monitor)) << "the taskbar shows";
    EXPECT_FALSE(CoversMonitor({0, 0, 1920, 1080}, monitor)) << "the other monitor";
    EXPECT_FALSE(CoversMonitor({0, 0, 0, 0}, RECT{0, 0, 0, 0})) << "no monitor";

    EXPECT_TRUE(IsBorderlessFullScreen(WS_POPUP | WS_BORDER, false, overhanging, monitor)) << "a thin border is no frame";
    EXPECT_FALSE(IsBorderlessFullScreen(WS_OVERLAPPEDWINDOW, true, overhanging, monitor)) << "an editor maximised";
    EXPECT_FALSE(IsBorderlessFullScreen(WS_POPUP | WS_THICKFRAME, false, overhanging, monitor)) << "a sizing frame";
    EXPECT_FALSE(IsBorderlessFullScreen(WS_POPUP, true, monitor, monitor)) << "maximised";
    EXPECT_FALSE(IsBorderlessFullScreen(WS_POPUP, false, {1920, 0, 3840, 1040}, monitor));
    for (auto state : {QUNS_BUSY, QUNS_RUNNING_D3D_FULL_SCREEN, QUNS_PRESENTATION_MODE})
        EXPECT_TRUE(NotificationStateHoldsBack(state)) << state;
    EXPECT_FALSE(NotificationStateHoldsBack(QUNS_ACCEPTS_NOTIFICATIONS));

    // Here nothing of another program is in front, and the session is not locked.
    EXPECT_FALSE(SessionIsLocked());
    EXPECT_FALSE(FullScreenProgramInFront());
}

TEST_F(FrontWindowFixture, AMaximisedWindowFillingAMonitorWithoutTaskbarLetsTheDueChangeThrough) {
    StartWatchingTheScreen();
    std::string a = Add("a.bmp"), b = Add("b.bmp");
    tray->context()->settings().selectedWallPaper = b;
    HWND front = ShowInFront(L"maximised");
    ASSERT_NE(nullptr, front) << "front_window.exe did not come to the front";
    RECT rect = {};
    ASSERT_TRUE(GetWindowRect(front, &rect));
    ASSERT_TRUE(IsZoomed(front));
    ASSERT_TRUE(CoversMonitor(rect, monitor.rcMonitor))
        << "its frame overhangs the monitor: " << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom;

    EXPECT_FALSE(FullScreenProgramInFront()) << "an editor or a browser maximised is no full-screen program";
    LookWhenDue();
    EXPECT_EQ(a, Selected()) << "the due change is made";
}

TEST_F(FrontWindowFixture, ABorderlessWindowCoveringTheMonitorHoldsTheChangeBackUntilItCloses) {
    StartWatchingTheScreen();
    std::string a = Add("a.bmp"), b = Add("b.bmp");
    tray->context()->settings().selectedWallPaper = b;
    ASSERT_NE(nullptr, ShowInFront(L"borderless")) << "front_window.exe did not come to the front";

    EXPECT_TRUE(FullScreenProgramInFront()) << "a game or a video in full screen";
    LookWhenDue();
    EXPECT_EQ(b, Selected()) << "the change waits";
    CloseFront();
    EXPECT_FALSE(FullScreenProgramInFront());
    tray->changer()->Look();
    EXPECT_EQ(a, Selected()) << "the change that waited is made";
}
