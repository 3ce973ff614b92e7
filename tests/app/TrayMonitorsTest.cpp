// The tray window with several monitors: the submenu's commands, the tick
// on what the target monitor shows, and the layout again after a change of
// the monitors.  (Two monitors are made up here; the real pair is driven in
// the two-monitor end-to-end run.)
#include <gtest/gtest.h>

#include <functional>

#include "../image/TestPictures.h"
#include "TestSupport.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "res/resource.h"

namespace {
std::function<void(HMENU)> g_seeMenu;
void CALLBACK SeeMenuAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? (HMENU)SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0) : nullptr;
    if (g_seeMenu && menu) g_seeMenu(menu);
    EndMenu();
}

std::string Text(HMENU menu, int position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, position, text, 255, MF_BYPOSITION);
    return ToCp932(text);
}

MonitorInfo Monitor(const std::string& identity, monitor_layout::Rect rect, bool primary) {
    MonitorInfo m;
    m.identity = identity;
    m.rect = m.work = rect;
    m.primary = primary;
    return m;
}

struct TrayMonitors : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<TrayWindow> tray;
    std::string red, tall;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
        tray = std::make_unique<TrayWindow>(profile);
        ASSERT_TRUE(tray->Create());
        tray->context()->settings().programDirectory = dir.path();
        red = dir.File("red.bmp");
        tall = dir.File("tall.bmp");
        WriteTestBitmap(red, 16, 16, SolidRed);
        WriteTestBitmap(tall, 20, 40, Gradient);
    }
    void TearDown() override {
        tray->context()->list().SetPath("");
        DestroyWindow(tray->hwnd());
        g_seeMenu = nullptr;
    }
    void Add(const std::string& name, const std::string& path, DisplayStyle style) {
        auto e = std::make_unique<CWallPaperData>(name, path, style);
        e->m_bInUse = true;
        tray->context()->list().Append(std::move(e));
    }
    void OpenMenu(std::function<void(HMENU)> see) {
        g_seeMenu = std::move(see);
        SetTimer(nullptr, 0, 50, SeeMenuAndClose);
        SendMessageW(tray->hwnd(), WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
        PumpMessages();
    }
};
}  // namespace

TEST_F(TrayMonitors, TheSubmenuPicksTheTargetAndTheTickFollowsWhatItShows) {
    Add("赤", red, kStyleFill);
    Add("縦", tall, kStyleCentre);
    tray->context()->settings().selectedWallPaper = tall;
    tray->context()->settings().viewStyle = kStyleCentre;
    MonitorTargets& monitors = *tray->monitors();
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    monitors.SetMonitors({Monitor("A", {0, 0, w / 2, h}, true), Monitor("B", {w / 2, 0, w, h}, false)});
    monitors.SetChoice("B", {red, kStyleFill});

    // The second monitor, by its command number.
    SendMessageW(tray->hwnd(), WM_COMMAND, MonitorTargets::kAllCommand + 2, 0);
    ASSERT_NE(nullptr, monitors.target());
    EXPECT_EQ("B", monitors.target()->identity);
    EXPECT_EQ("B", profile.GetString("Monitors", "Target", ""));
    int seen = 0;
    OpenMenu([&](HMENU menu) {
        ++seen;
        // 縦, 赤, separator, 次の壁紙(&N), 自動切替(&T), separator, モニター(&M), separator, リスト表示(&L), ...
        ASSERT_EQ(13, GetMenuItemCount(menu));
        EXPECT_EQ("縦", Text(menu, 0));
        EXPECT_FALSE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED);
        EXPECT_EQ("赤", Text(menu, 1));
        EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED) << "what the second monitor shows";
        EXPECT_EQ("モニター(&M)", Text(menu, 6));
        HMENU sub = GetSubMenu(menu, 6);
        ASSERT_NE(nullptr, sub);
        EXPECT_TRUE(GetMenuState(sub, 2, MF_BYPOSITION) & MF_CHECKED);
        EXPECT_EQ(UINT(ID_LIST_SHOW), GetMenuItemID(menu, 8));
    });

    // All monitors: the tick goes to the wallpaper of all of them.
    SendMessageW(tray->hwnd(), WM_COMMAND, MonitorTargets::kAllCommand, 0);
    EXPECT_EQ(nullptr, monitors.target());
    OpenMenu([&](HMENU menu) {
        ++seen;
        EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED);
        EXPECT_FALSE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED);
    });
    EXPECT_EQ(2, seen);
}

TEST_F(TrayMonitors, AChangeOfTheMonitorsLaysAFittedWallpaperOutAgain) {
    AppSettings& settings = tray->context()->settings();
    settings.selectedWallPaper = tall;
    settings.viewStyle = kStyleFit;
    const std::string temp = dir.File("TVTemp.bmp");
    ASSERT_FALSE(PathExists(temp));
    SendMessageW(tray->hwnd(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    // Laid out once the monitors have settled.
    const DWORD until = GetTickCount() + 5000;
    while (!PathExists(temp) && GetTickCount() < until) {
        PumpMessages();
        Sleep(20);
    }
    ASSERT_TRUE(PathExists(temp));
    HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(temp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), BitmapSize(written).cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), BitmapSize(written).cy);
    DeleteObject(written);
    EXPECT_EQ(kStyleFit, settings.viewStyle);
    EXPECT_TRUE(messages.shown.empty());
}

// "Next" with wallpapers of their own on the monitors: each monitor moves on
// to its own next picture in the menu's order, never to one the other shows,
// and the target the user chose stays.
TEST_F(TrayMonitors, NextMovesEveryMonitorOnToItsOwnNextPicture) {
    const std::string green = dir.File("green.bmp");
    WriteTestBitmap(green, 16, 16, Gradient);
    Add("赤", red, kStyleCentre);
    Add("縦", tall, kStyleCentre);
    Add("緑", green, kStyleCentre);  // the menu: 緑, 縦, 赤
    MonitorTargets& monitors = *tray->monitors();
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    monitors.SetMonitors({Monitor("A", {0, 0, w / 2, h}, true), Monitor("B", {w / 2, 0, w, h}, false)});
    monitors.SetChoice("A", {red, kStyleCentre});
    monitors.SetChoice("B", {tall, kStyleCentre});

    SendMessageW(tray->hwnd(), WM_COMMAND, ID_NEXT_WALLPAPER, 0);
    ASSERT_NE(nullptr, monitors.ChoiceFor("A"));
    ASSERT_NE(nullptr, monitors.ChoiceFor("B"));
    // A: after 赤 the menu wraps to 緑.  B: after 縦 comes 赤, which A no longer shows.
    EXPECT_EQ(green, monitors.ChoiceFor("A")->path);
    EXPECT_EQ(red, monitors.ChoiceFor("B")->path);
    EXPECT_EQ(nullptr, monitors.target()) << "still all monitors";
    EXPECT_EQ("", profile.GetString("Monitors", "Target", "?"));
    EXPECT_TRUE(messages.shown.empty());

    // Again: A moves on to 縦, B wraps round to 緑.
    SendMessageW(tray->hwnd(), WM_COMMAND, ID_NEXT_WALLPAPER, 0);
    EXPECT_EQ(tall, monitors.ChoiceFor("A")->path);
    EXPECT_EQ(green, monitors.ChoiceFor("B")->path);
}

// With nothing showable, one "next" on two monitors tries each picture once
// and shows one box, not one per monitor.
TEST_F(TrayMonitors, NextWithNothingShowableTriesEachPictureOnceAndTellsOnce) {
    const std::string gone1 = dir.File("gone1.bmp"), gone2 = dir.File("gone2.bmp");
    Add("1", gone1, kStyleCentre);
    Add("2", gone2, kStyleCentre);
    MonitorTargets& monitors = *tray->monitors();
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    monitors.SetMonitors({Monitor("A", {0, 0, w / 2, h}, true), Monitor("B", {w / 2, 0, w, h}, false)});
    monitors.SetChoice("A", {red, kStyleCentre});
    monitors.SetChoice("B", {tall, kStyleCentre});
    const uint64_t decodesBefore = tray->context()->cache().decodeCount();

    SendMessageW(tray->hwnd(), WM_COMMAND, ID_NEXT_WALLPAPER, 0);
    EXPECT_EQ(2u, tray->context()->cache().decodeCount() - decodesBefore);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("次の壁紙に切り替えられませんでした。\n使用中の壁紙に、表示できる画像がありません。", messages.shown[0].text);
    EXPECT_EQ(red, monitors.ChoiceFor("A")->path);
    EXPECT_EQ(tall, monitors.ChoiceFor("B")->path);
}

namespace {
struct TipCall {
    DWORD action;
    UINT flags;
    std::wstring tip;
};
std::vector<TipCall> g_tipCalls;
BOOL WINAPI RecordTip(DWORD action, PNOTIFYICONDATAW data) {
    g_tipCalls.push_back(TipCall{action, data->uFlags, (data->uFlags & NIF_TIP) ? data->szTip : L""});
    return TRUE;
}
}  // namespace

TEST_F(TrayMonitors, TheIconsTipNamesTheWallpaperOfEveryMonitorAfterEachChange) {
    g_tipCalls.clear();
    struct Recording {
        TrayWindow::NotifyIconFn real = TrayWindow::s_notifyIcon;
        Recording() { TrayWindow::s_notifyIcon = &RecordTip; }
        ~Recording() { TrayWindow::s_notifyIcon = real; }
    } recording;
    Add("夕焼け", red, kStyleSpan);
    Add("海", tall, kStyleCentre);
    MonitorTargets& monitors = *tray->monitors();
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    monitors.SetMonitors({Monitor("A", {0, 0, w / 2, h}, true), Monitor("B", {w / 2, 0, w, h}, false)});
    auto choose = [&](UINT command) {
        OpenMenu([](HMENU) {});  // loads the menu the command's text is found in
        SendMessageW(tray->hwnd(), WM_COMMAND, command, 0);
    };
    EXPECT_EQ("Tavrin", tray->tip());

    // For all monitors: one name, sent to the icon at once.
    choose(kFirstWallpaperCommand);  // the list's first entry
    EXPECT_EQ("Tavrin - 夕焼け", tray->tip());
    ASSERT_FALSE(g_tipCalls.empty());
    EXPECT_EQ((DWORD)NIM_MODIFY, g_tipCalls.back().action);
    EXPECT_TRUE(g_tipCalls.back().flags & NIF_TIP);
    EXPECT_EQ(ToWide("Tavrin - 夕焼け"), g_tipCalls.back().tip);

    // The second monitor gets its own: one name per monitor, in their order.
    SendMessageW(tray->hwnd(), WM_COMMAND, MonitorTargets::kAllCommand + 2, 0);
    choose(kFirstWallpaperCommand + 1);
    EXPECT_EQ("Tavrin - 夕焼け / 海", tray->tip());
    EXPECT_EQ(ToWide("Tavrin - 夕焼け / 海"), g_tipCalls.back().tip);
    // A span wallpaper chosen for one monitor is fill there; its name is the entry's.
    choose(kFirstWallpaperCommand);
    EXPECT_EQ(MonitorChoice({red, kStyleSpan}), *monitors.ChoiceFor("B"));
    EXPECT_EQ("Tavrin - 夕焼け / 夕焼け", tray->tip());

    // Nothing selected any more: back to the product's name.
    tray->context()->settings().selectedWallPaper.clear();
    monitors.ForgetChoices();
    const size_t before = g_tipCalls.size();
    OpenMenu([](HMENU) {});
    EXPECT_EQ("Tavrin", tray->tip());
    ASSERT_EQ(before + 1, g_tipCalls.size()) << "sent once, when it changed";
    EXPECT_EQ(L"Tavrin", g_tipCalls.back().tip);
}
