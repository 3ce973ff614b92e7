// The tray window while its own work shows a message box: the box's message
// loop delivers a close, a right click and the end of the log-on, and none of
// them may free or reopen what the running work still uses.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../image/TestPictures.h"
#include "TestSupport.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"

namespace {
int g_menusSeen = 0;

// Stands in for a message box: while "shown" it closes the tray window and
// right-clicks its icon, and runs the messages as a box's loop would.
class ClosingMessageSink : public RecordingMessageSink {
public:
    TrayWindow* tray = nullptr;
    bool aliveAfterClose = false;
    bool menuOpened = false;
    int Show(HWND owner, const std::string& text, UINT type) override {
        RecordingMessageSink::Show(owner, text, type);
        HWND hwnd = tray ? tray->hwnd() : nullptr;
        if (!hwnd) return IDOK;
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        PostMessageW(hwnd, WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
        int menusBefore = g_menusSeen;
        SetTimer(nullptr, 0, 20, CloseAnyMenu);
        Pump();
        aliveAfterClose = IsWindow(hwnd) && tray->context() != nullptr;
        menuOpened = menuOpened || g_menusSeen != menusBefore;
        return IDOK;
    }
    // About 100 ms of a message loop.
    static void Pump() {
        for (int round = 0; round < 10; ++round) {
            PumpMessages();
            Sleep(10);
        }
        PumpMessages();
    }
    // Counts an open menu and closes it.
    static void CALLBACK CloseAnyMenu(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (popup && IsWindowVisible(popup)) ++g_menusSeen;
        EndMenu();
    }
};

struct ReentrancyFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ClosingMessageSink sink;
    MessageSink* previousSink = nullptr;
    std::unique_ptr<TrayWindow> tray;
    std::string missing;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
        profile.WriteString("Settings", "SPIPath", dir.path());
        missing = dir.File("gone.bmp");
        previousSink = SetMessageSink(&sink);
    }
    void TearDown() override {
        if (tray && IsWindow(tray->hwnd())) {
            tray->context()->list().SetPath("");
            DestroyWindow(tray->hwnd());
        }
        SetMessageSink(previousSink);
    }
    void Start() {
        tray = std::make_unique<TrayWindow>(profile);
        sink.tray = tray.get();
        ASSERT_TRUE(tray->Create());
    }
    // The list holds one entry for `path`; the open menu chooses it.
    void ChooseFromMenu(const std::string& path) {
        tray->context()->list().Append(std::make_unique<CWallPaperData>("pick", path, kStyleCentre));
        SetTimer(nullptr, 0, 50, ClosingMessageSink::CloseAnyMenu);
        SendMessageW(tray->hwnd(), WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
        PumpMessages();
        ASSERT_NE(nullptr, tray->loadedMenu());
        SendMessageW(tray->hwnd(), WM_COMMAND, kFirstWallpaperCommand, 0);
    }
    // After the work: the deferred close has come, and the list was saved on the way.
    void ExpectClosedAfterwards(HWND hwnd) {
        ClosingMessageSink::Pump();
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_TRUE(PathExists(dir.File("List.tvl")));
    }
};
}  // namespace

TEST_F(ReentrancyFixture, CloseFromABoxOfTheApplierWaitsUntilTheApplyReturns) {
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    Start();
    HWND hwnd = tray->hwnd();
    tray->context()->settings().enableSSTP = true;  // reaches the profile only when the settings are saved
    ChooseFromMenu(missing);
    ASSERT_EQ(1u, sink.shown.size());
    EXPECT_TRUE(sink.aliveAfterClose);
    EXPECT_EQ("", tray->context()->settings().selectedWallPaper) << "a failed change selects nothing";
    EXPECT_TRUE(IsWindow(hwnd)) << "the close waits for the command to return";
    ExpectClosedAfterwards(hwnd);
    EXPECT_EQ(1, profile.GetInt("Settings", "EnableSSTP", 0)) << "saved by the deferred close";
}

TEST_F(ReentrancyFixture, RightClickUnderABoxOpensNoMenuUntilTheWorkReturns) {
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    Start();
    struct UnderBox : RecordingMessageSink {
        TrayWindow* tray;
        int menus = -1;
        int Show(HWND owner, const std::string& text, UINT type) override {
            RecordingMessageSink::Show(owner, text, type);
            int before = g_menusSeen;
            SetTimer(nullptr, 0, 20, ClosingMessageSink::CloseAnyMenu);
            PostMessageW(tray->hwnd(), WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
            ClosingMessageSink::Pump();
            menus = g_menusSeen - before;
            return IDOK;
        }
    } underBox;
    underBox.tray = tray.get();
    SetMessageSink(&underBox);
    int before = g_menusSeen;
    ChooseFromMenu(missing);
    SetMessageSink(&sink);
    EXPECT_EQ(1, g_menusSeen - before) << "only the menu that chose";
    ASSERT_EQ(1u, underBox.shown.size());
    EXPECT_EQ(0, underBox.menus) << "no menu under the box";
    EXPECT_FALSE(tray->busy());

    // Once the work returned, the menu opens again.
    before = g_menusSeen;
    SetTimer(nullptr, 0, 20, ClosingMessageSink::CloseAnyMenu);
    SendMessageW(tray->hwnd(), WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
    ClosingMessageSink::Pump();
    EXPECT_EQ(1, g_menusSeen - before);
}

TEST_F(ReentrancyFixture, CloseFromABoxOfTheStartUpRestoreWaitsUntilCreationEnds) {
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    profile.WriteString("Settings", "SelectedWallPaper", missing);
    tray = std::make_unique<TrayWindow>(profile);
    sink.tray = tray.get();
    ASSERT_TRUE(tray->Create());
    HWND hwnd = tray->hwnd();
    ASSERT_EQ(1u, sink.shown.size());
    EXPECT_TRUE(sink.aliveAfterClose);
    EXPECT_FALSE(sink.menuOpened);
    EXPECT_TRUE(IsWindow(hwnd)) << "the close waits for the creation to end";
    ExpectClosedAfterwards(hwnd);
}

TEST_F(ReentrancyFixture, CloseFromABoxOfThePreviewWaitsUntilThePictureIsLoaded) {
    profile.WriteInt("Settings", "EnableSPI", 1);  // a decode error is shown by the plug-in host
    Start();
    HWND hwnd = tray->hwnd();
    tray->context()->list().Append(std::make_unique<CWallPaperData>("pick", missing, kStyleCentre));
    ASSERT_TRUE(PostPreviewRequest(tray->preview().hwnd(), missing, kStyleCentre));
    // The picture is decoded once the request has rested.
    PumpMessagesUntil([&] { return !sink.shown.empty(); });
    ASSERT_EQ(1u, sink.shown.size());
    EXPECT_NE(std::string::npos, sink.shown[0].text.find("LoadPicture")) << sink.shown[0].text;
    EXPECT_TRUE(sink.aliveAfterClose);
    EXPECT_FALSE(sink.menuOpened);
    ExpectClosedAfterwards(hwnd);
}

TEST_F(ReentrancyFixture, EndOfLogOnUnderABoxSavesAtOnceAndTheProgramGoesOn) {
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    Start();
    struct EndingSession : RecordingMessageSink {
        TrayWindow* tray;
        LRESULT answer = -1;
        int Show(HWND owner, const std::string& text, UINT type) override {
            RecordingMessageSink::Show(owner, text, type);
            answer = SendMessageW(tray->hwnd(), WM_QUERYENDSESSION, 0, 0);
            return IDOK;
        }
    } ending;
    ending.tray = tray.get();
    tray->context()->settings().enableSSTP = true;  // reaches the profile only when the settings are saved
    SetMessageSink(&ending);
    ChooseFromMenu(missing);
    SetMessageSink(&sink);
    EXPECT_EQ(TRUE, ending.answer);
    EXPECT_EQ(1, profile.GetInt("Settings", "EnableSSTP", 0));
    EXPECT_LT(2u, ReadBytes(dir.File("List.tvl")).size()) << "the list with its entry";
    ClosingMessageSink::Pump();
    EXPECT_TRUE(IsWindow(tray->hwnd())) << "a log-off that may still be cancelled closes nothing";
}

// One missing picture at start-up: one box, and the icon still comes.
namespace {
std::vector<DWORD> g_iconActions;
BOOL WINAPI RecordIconAction(DWORD action, PNOTIFYICONDATAW) {
    g_iconActions.push_back(action);
    return TRUE;
}
}  // namespace

TEST_F(ReentrancyFixture, MissingPictureAtStartUpGivesOneBoxAndTheIcon) {
    sink.tray = nullptr;
    for (int plugins = 0; plugins < 2; ++plugins) {
        SCOPED_TRACE(plugins ? "plug-ins on" : "halftone on");
        profile.WriteInt("Settings", "EnableSPI", plugins);
        profile.WriteInt("Settings", "EnableHalfTone", 1 - plugins);
        profile.WriteString("Settings", "SelectedWallPaper", missing);
        sink.shown.clear();
        g_iconActions.clear();
        TrayWindow::NotifyIconFn real = TrayWindow::s_notifyIcon;
        TrayWindow::s_notifyIcon = &RecordIconAction;
        {
            TrayWindow start(profile);
            ASSERT_TRUE(start.Create());
            EXPECT_EQ(1u, sink.shown.size());
            ASSERT_FALSE(g_iconActions.empty());
            EXPECT_EQ((DWORD)NIM_ADD, g_iconActions[0]);
            start.context()->list().SetPath("");
            DestroyWindow(start.hwnd());
        }
        TrayWindow::s_notifyIcon = real;
    }
}

TEST_F(ReentrancyFixture, MissingPictureChosenWithPlugInsOnGivesOneBox) {
    profile.WriteInt("Settings", "EnableSPI", 1);
    Start();
    sink.tray = nullptr;
    ChooseFromMenu(missing);
    EXPECT_EQ(1u, sink.shown.size());
}
