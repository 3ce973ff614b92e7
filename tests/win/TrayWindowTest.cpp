#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/TrayWindow.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"

namespace {
struct TrayFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteString("Settings", "DeskCalPath", "");
    }
};
}  // namespace

TEST_F(TrayFixture, CreatesAHiddenToolWindowWithItsTitle) {
    TrayWindow tray(profile);
    ASSERT_TRUE(tray.Create());
    HWND hwnd = tray.hwnd();
    ASSERT_NE(nullptr, hwnd);
    wchar_t title[64];
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(L"Tavrin 2.0\u03b2", title);
    EXPECT_EQ(hwnd, FindWindowW(TrayWindow::kClassName, L"Tavrin 2.0\u03b2"));
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_NE(nullptr, (HICON)SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(nullptr, (HICON)SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(nullptr, tray.context());
    EXPECT_TRUE(PathExists(dir.File("List.tvl"))) << "the list was loaded (and so created)";
    DestroyWindow(hwnd);
    EXPECT_EQ(nullptr, tray.context());
}

TEST_F(TrayFixture, EndOfLogOnSavesSettingsAndList) {
    TrayWindow tray(profile);
    ASSERT_TRUE(tray.Create());
    tray.context()->list().Append(std::make_unique<CWallPaperData>("n", "C:\\n.bmp", kStyleTile));
    tray.context()->settings().selectedWallPaper = "C:\\n.bmp";
    EXPECT_EQ(TRUE, SendMessageW(tray.hwnd(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ("C:\\n.bmp", profile.GetString("Settings", "SelectedWallPaper", ""));
    EXPECT_LT(2u, ReadBytes(dir.File("List.tvl")).size());
    DestroyWindow(tray.hwnd());
}

TEST_F(TrayFixture, CloseDestroysAndSavesEverything) {
    TrayWindow tray(profile);
    ASSERT_TRUE(tray.Create());
    tray.context()->settings().viewStyle = 2;
    HWND hwnd = tray.hwnd();
    SendMessageW(hwnd, WM_COMMAND, 32773, 0);  // 終了(&X) posts WM_CLOSE
    EXPECT_TRUE(IsWindow(hwnd));
    PumpMessages();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(2, profile.GetInt("Settings", "ViewStyle", 0));
    EXPECT_EQ(std::string("\x00\x00", 2), ReadBytes(dir.File("List.tvl")));
    EXPECT_TRUE(messages.shown.empty());
}
