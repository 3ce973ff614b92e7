#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "../image/TestPictures.h"
#include "TestSupport.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"

namespace {
using MenuItem = MenuItemSeen;
std::vector<MenuItem> Items(HMENU menu) { return ReadMenuItems(menu); }

// While the tray window's menu is open, runs `inMenu` with the open popup, then closes it.
std::function<void(HMENU)> g_inMenu;
void CALLBACK WhileMenuOpen(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND popup = FindWindowW(L"#32768", nullptr);
    HMENU menu = popup ? (HMENU)SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0) : nullptr;
    if (g_inMenu) g_inMenu(menu);
    EndMenu();
}

struct TrayMenuFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<TrayWindow> tray;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
        tray = std::make_unique<TrayWindow>(profile);
        ASSERT_TRUE(tray->Create());
    }
    void TearDown() override {
        tray->context()->list().SetPath("");
        DestroyWindow(tray->hwnd());
        g_inMenu = nullptr;
    }
    CWallPaperData* Add(const std::string& name, const std::string& path, DisplayStyle style, bool inUse = true) {
        auto e = std::make_unique<CWallPaperData>(name, path, style);
        e->m_bInUse = inUse;
        return tray->context()->list().Append(std::move(e));
    }
    // Right click on the icon; returns the open menu's items.
    std::vector<MenuItem> OpenMenu(std::function<void(HMENU)> alsoInMenu = nullptr) {
        std::vector<MenuItem> seen;
        g_inMenu = [&](HMENU menu) {
            seen = Items(menu);
            if (alsoInMenu) alsoInMenu(menu);
        };
        SetTimer(nullptr, 0, 50, WhileMenuOpen);
        SendMessageW(tray->hwnd(), WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
        PumpMessages();  // the posted WM_RBUTTONUP opens and tracks the menu
        return seen;
    }
};
}  // namespace

TEST(WallpaperMenuFlags, GreyAndCheckRules) {
    MemoryProfile profile;
    AppSettings settings(profile);
    CWallPaperData jpg("j", "C:\\pics\\a.JPG", 0), bmpDir("b", "C:\\X.BMP.d\\a.jpg", 0), bmp("c", "C:\\a.Bmp", 1);
    EXPECT_TRUE(WallpaperMenuFlags(jpg, settings) & MF_GRAYED);
    EXPECT_FALSE(WallpaperMenuFlags(bmpDir, settings) & MF_GRAYED) << ".BMP anywhere in the path counts";
    EXPECT_FALSE(WallpaperMenuFlags(bmp, settings) & MF_GRAYED);
    settings.enableSPI = true;
    EXPECT_FALSE(WallpaperMenuFlags(jpg, settings) & MF_GRAYED);
    settings.selectedWallPaper = "C:\\a.Bmp";
    settings.viewStyle = 1;
    EXPECT_TRUE(WallpaperMenuFlags(bmp, settings) & MF_CHECKED);
    settings.viewStyle = 2;
    EXPECT_FALSE(WallpaperMenuFlags(bmp, settings) & MF_CHECKED) << "same picture, other style";
    settings.viewStyle = 1;
    settings.selectedWallPaper = "c:\\a.bmp";
    EXPECT_FALSE(WallpaperMenuFlags(bmp, settings) & MF_CHECKED) << "paths compare byte for byte";
}

TEST_F(TrayMenuFixture, EmptyListShowsOneGreyedPlaceholder) {
    Add("unused", "C:\\u.bmp", 0, false);
    std::vector<MenuItem> items = OpenMenu();
    ASSERT_EQ(10u, items.size());
    EXPECT_EQ("未登録", items[0].text);
    EXPECT_TRUE(items[0].grey);
    EXPECT_EQ(300u, items[0].id);
    EXPECT_EQ("-", items[1].text);
    EXPECT_EQ("次の壁紙(&N)", items[2].text);
    EXPECT_EQ("自動切替(&T)", items[3].text);
    EXPECT_EQ("-", items[4].text);
    EXPECT_EQ("リスト表示(&L)", items[5].text);
    EXPECT_EQ(32771u, items[5].id);
    EXPECT_EQ("終了(&X)", items[9].text);
}

TEST_F(TrayMenuFixture, InUseEntriesInReverseOrderWithTheirFlags) {
    Add("first", "C:\\1.bmp", 0);
    Add("skipped", "C:\\2.bmp", 0, false);
    Add("photo", "C:\\3.jpg", 2);
    Add("last", "C:\\4.bmp", 1);
    tray->context()->settings().selectedWallPaper = "C:\\4.bmp";
    tray->context()->settings().viewStyle = 1;
    std::vector<MenuItem> items = OpenMenu();
    ASSERT_EQ(12u, items.size());
    EXPECT_EQ("last", items[0].text);
    EXPECT_EQ(302u, items[0].id);
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ("photo", items[1].text);
    EXPECT_TRUE(items[1].grey);
    EXPECT_EQ("first", items[2].text);
    EXPECT_EQ(300u, items[2].id);
    EXPECT_FALSE(items[2].checked);
    EXPECT_EQ("-", items[3].text);
}


TEST_F(TrayMenuFixture, ChoosingAnItemAppliesTheFirstEntryOfThatName) {
    std::string front = dir.File("front.bmp"), back = dir.File("back.bmp");
    WriteTestBitmap(front, 4, 4, SolidRed);
    WriteTestBitmap(back, 4, 4, Gradient);
    Add("same", front, 0);
    Add("same", back, 1);
    UINT chosen = 0;
    g_inMenu = [&](HMENU menu) { chosen = GetMenuItemID(menu, 0); };  // the top item: the back entry's
    SetTimer(nullptr, 0, 50, WhileMenuOpen);
    SendMessageW(tray->hwnd(), WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
    PumpMessages();
    ASSERT_EQ(301u, chosen);
    SendMessageW(tray->hwnd(), WM_COMMAND, chosen, 0);
    EXPECT_EQ(front, tray->context()->settings().selectedWallPaper);
    EXPECT_EQ(0, tray->context()->settings().viewStyle);
}

TEST_F(TrayMenuFixture, HoveringPreviewsAndClosingHides) {
    std::string pic = dir.File("p.bmp");
    WriteTestBitmap(pic, 64, 48, SolidRed);
    Add("p", pic, 2);
    OpenMenu([&](HMENU) {
        // Highlighting the item sends WM_MENUSELECT; the preview follows once posted.
        SendMessageW(tray->hwnd(), WM_MENUSELECT, MAKEWPARAM(300, MF_HILITE), (LPARAM)tray->loadedMenu());
        // The highlight rests on the item: its picture is decoded.
        EXPECT_TRUE(PumpMessagesUntil([&] { return !tray->preview().waiting(); }));
        EXPECT_TRUE(IsWindowVisible(tray->preview().hwnd()));
    });
    PumpMessages();
    EXPECT_EQ(pic, tray->preview().path());
    EXPECT_EQ(kStyleStretch, tray->preview().style());
    ASSERT_NE(nullptr, tray->context()->cache().Find(pic));
    SendMessageW(tray->hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    PumpMessages();
    EXPECT_FALSE(IsWindowVisible(tray->preview().hwnd()));
    EXPECT_EQ("", PreviewWindow::lastPath());
}

TEST_F(TrayMenuFixture, SelectionOfTheLastRunIsRestoredAtStart) {
    std::string pic = dir.File("restore.bmp");
    WriteTestBitmap(pic, 4, 4, SolidRed);
    profile.WriteString("Settings", "SelectedWallPaper", pic);
    profile.WriteInt("Settings", "ViewStyle", 1);
    profile.WriteInt("Settings", "ChangingEffect", 1);
    TrayWindow second(profile);
    ASSERT_TRUE(second.Create());
    wchar_t wallpaper[MAX_PATH] = {};
    DWORD size = sizeof(wallpaper);
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, wallpaper, &size);
    EXPECT_EQ(pic, ToCp932(wallpaper));
    EXPECT_TRUE(second.context()->settings().changingEffect) << "restored after the start-up apply";
    EXPECT_EQ(nullptr, FindWindowW(nullptr, L"Tavrin WallChangeEffectingWnd")) << "no effect at start";
    ASSERT_NE(nullptr, second.context()->cache().Find(pic));
    second.context()->list().SetPath("");
    DestroyWindow(second.hwnd());
}

namespace {
struct IconCall { DWORD action; UINT id, flags, callback; bool icon; std::wstring tip; HWND hwnd; };
std::vector<IconCall> g_iconCalls;
BOOL WINAPI RecordIcon(DWORD action, PNOTIFYICONDATAW data) {
    g_iconCalls.push_back(IconCall{action, data->uID, data->uFlags, data->uCallbackMessage, data->hIcon != nullptr,
                                   (data->uFlags & NIF_TIP) ? data->szTip : L"", data->hWnd});
    return TRUE;
}
}  // namespace

TEST(TrayIcon, AddedAtCreationAgainWhenTheTaskbarComesBackAndRemovedAtTheEnd) {
    TempDir dir;
    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
    profile.WriteString("Settings", "DeskCalPath", "");
    g_iconCalls.clear();
    TrayWindow::NotifyIconFn real = TrayWindow::s_notifyIcon;
    TrayWindow::s_notifyIcon = &RecordIcon;
    {
        TrayWindow tray(profile);
        ASSERT_TRUE(tray.Create());
        ASSERT_EQ(1u, g_iconCalls.size());
        const IconCall& add = g_iconCalls[0];
        EXPECT_EQ((DWORD)NIM_ADD, add.action);
        EXPECT_EQ(tray.hwnd(), add.hwnd);
        EXPECT_EQ(100u, add.id);
        EXPECT_EQ(0x800Cu, add.callback);
        EXPECT_EQ((UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP), add.flags);
        EXPECT_TRUE(add.icon);
        EXPECT_EQ(L"Tavrin", add.tip);

        // Explorer restarted: the notification area announces itself again.
        SendMessageW(tray.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        ASSERT_EQ(2u, g_iconCalls.size());
        EXPECT_EQ((DWORD)NIM_ADD, g_iconCalls[1].action);
        EXPECT_TRUE(g_iconCalls[1].flags & NIF_ICON) << "the same icon is sent again when re-adding";

        DestroyWindow(tray.hwnd());
        ASSERT_EQ(3u, g_iconCalls.size());
        EXPECT_EQ((DWORD)NIM_DELETE, g_iconCalls[2].action);
        EXPECT_EQ(100u, g_iconCalls[2].id);
    }
    TrayWindow::s_notifyIcon = real;
}
