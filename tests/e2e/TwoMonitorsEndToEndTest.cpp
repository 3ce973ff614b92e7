// The real tavrin.exe on two monitors (run by run-two-monitors.sh: 800x600,
// the main one, and 640x480 on its right): a different picture chosen for
// each monitor from the menu's monitor submenu, and both back at the next start.
#include <gtest/gtest.h>

#include <cstdio>

#include "../image/TestPictures.h"
#include "TavrinDriver.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"

namespace {
uint32_t SolidGreen(int, int) { return 0x00FF00; }
uint32_t SolidBlue(int, int) { return 0x0000FF; }

BOOL CALLBACK AddRect(HMONITOR, HDC, LPRECT r, LPARAM data) {
    reinterpret_cast<std::vector<RECT>*>(data)->push_back(*r);
    return TRUE;
}

// The system names the file in its own form (Z:\...\TVTemp.bmp).
bool IsTemporaryFile(const std::string& path) {
    const std::string name = "\\TVTemp.bmp";
    return path.size() > name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0;
}

uint32_t DesktopColour() {
    COLORREF c = GetSysColor(COLOR_BACKGROUND);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

struct TwoMonitors : ::testing::Test {
    TempDir dir;
    TavrinDriver tavrin;
    std::string list, red, green, blue;
    const std::string temp = std::string(TAVRIN_BIN_DIR) + "/TVTemp.bmp";

    void SetUp() override {
        list = dir.File("List.tvl");
        red = dir.File("red.bmp");
        green = dir.File("green.bmp");
        blue = dir.File("blue.bmp");
        WriteTestBitmap(red, 32, 24, SolidRed);
        WriteTestBitmap(green, 16, 16, SolidGreen);
        WriteTestBitmap(blue, 20, 20, SolidBlue);
        // From the top of the menu: 青 (fit), 赤 (fill).
        WallPaperEntries entries;
        entries.push_back(std::make_unique<CWallPaperData>("赤", red, kStyleFill));
        entries.push_back(std::make_unique<CWallPaperData>("青", blue, kStyleFit));
        for (auto& e : entries) e->m_bInUse = true;
        WriteBytes(list, EncodeListFile(entries));
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Vandrel Software\\Tavrin\\Monitors");
        tavrin.SetString("ConfPath", list);
        tavrin.SetString("DeskCalPath", "");
        // The wallpaper of all monitors, from the last run.
        tavrin.SetString("SelectedWallPaper", green);
        tavrin.SetInt("ViewStyle", kStyleStretch);
        DeleteFileW(W(temp).c_str());
    }

    // Menu: 青, 赤, separator, モニター(&M), separator, リスト表示, ...
    // In the submenu: すべてのモニター, then the monitors.
    static bool ChooseMonitor(TavrinDriver& driver, int monitor) {
        if (!driver.OpenMenu()) return false;
        driver.Down(5);  // the two wallpapers, 次の壁紙, 自動切替, then モニター
        PostMessageW(driver.menuWindow(), WM_KEYDOWN, VK_RIGHT, 0);
        Sleep(200);
        driver.Down(monitor);
        driver.Enter();
        if (!driver.WaitMenuClosed()) return false;
        driver.Settle();
        return true;
    }

    uint32_t WallpaperPixel(int x, int y) {
        HBITMAP shown = (HBITMAP)LoadImageW(nullptr, W(temp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        if (!shown) return 0xDEADBEEF;
        uint32_t pixel = BitmapPixel(shown, x, y);
        DeleteObject(shown);
        return pixel;
    }

    // A value of the profile's section "Monitors".
    static std::string Monitors(const wchar_t* name) {
        wchar_t text[4096] = {};
        DWORD bytes = sizeof(text) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vandrel Software\\Tavrin\\Monitors", name, RRF_RT_REG_SZ,
                         nullptr, text, &bytes))
            return "<none>";
        return ToCp932(text);
    }

    SIZE WallpaperSize() {
        HBITMAP shown = (HBITMAP)LoadImageW(nullptr, W(temp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        SIZE size = BitmapSize(shown);
        if (shown) DeleteObject(shown);
        return size;
    }
};
}  // namespace

TEST_F(TwoMonitors, EachMonitorGetsItsOwnPictureFromTheMenuAndKeepsItAtTheNextStart) {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddRect, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_EQ(2u, monitors.size()) << "run on the two-screen X server";
    ASSERT_EQ(1440, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    ASSERT_EQ(600, GetSystemMetrics(SM_CYVIRTUALSCREEN));

    ASSERT_TRUE(tavrin.Start());
    // No monitor has a wallpaper of its own yet: the system shows the one for all.
    EXPECT_EQ(green, DesktopWallpaper());
    EXPECT_EQ("2", DesktopValue(L"WallpaperStyle"));

    // The second monitor (640x480 on the right) gets the red picture, filled.
    ASSERT_TRUE(ChooseMonitor(tavrin, 2));
    ASSERT_TRUE(tavrin.ChooseItem(2));
    EXPECT_TRUE(IsTemporaryFile(DesktopWallpaper())) << DesktopWallpaper();
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ("0", DesktopValue(L"WallpaperStyle"));
    SIZE size = WallpaperSize();
    EXPECT_EQ(1440, size.cx);
    EXPECT_EQ(600, size.cy);
    EXPECT_EQ(0x00FF00u, WallpaperPixel(400, 300));   // the main monitor keeps green
    EXPECT_EQ(0xFF0000u, WallpaperPixel(800, 0));     // red from corner to corner
    EXPECT_EQ(0xFF0000u, WallpaperPixel(1439, 479));
    EXPECT_EQ(0u, WallpaperPixel(1100, 550));         // below the second monitor: no monitor

    // The main monitor gets the blue picture, fitted: blue in the middle,
    // the desktop colour at the sides.
    ASSERT_TRUE(ChooseMonitor(tavrin, 1));
    ASSERT_TRUE(tavrin.ChooseItem(1));
    EXPECT_EQ(0x0000FFu, WallpaperPixel(400, 300));
    EXPECT_EQ(DesktopColour(), WallpaperPixel(10, 300));
    EXPECT_EQ(0xFF0000u, WallpaperPixel(1100, 200));  // the second keeps red

    // Both are kept and laid out again at the next start.
    EXPECT_TRUE(tavrin.Stop());
    const std::string kept = Monitors(L"Wallpapers");
    std::printf("kept for the monitors:\n%s", kept.c_str());
    EXPECT_NE(std::string::npos, kept.find("\t3\t" + blue + "\n")) << kept;
    EXPECT_NE(std::string::npos, kept.find("\t4\t" + red + "\n")) << kept;
    DeleteFileW(W(temp).c_str());
    // (The same driver: a new one would clear the profile.)
    ASSERT_TRUE(tavrin.Start());
    EXPECT_TRUE(IsTemporaryFile(DesktopWallpaper())) << DesktopWallpaper();
    EXPECT_EQ(0x0000FFu, WallpaperPixel(400, 300));
    EXPECT_EQ(0xFF0000u, WallpaperPixel(1100, 200));

    // All monitors again, then the red picture filled: each monitor filled
    // at its own size, and the monitors' own choices forgotten.
    ASSERT_TRUE(ChooseMonitor(tavrin, 0));
    ASSERT_TRUE(tavrin.ChooseItem(2));
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ(0xFF0000u, WallpaperPixel(0, 0));
    EXPECT_EQ(0xFF0000u, WallpaperPixel(799, 599));
    EXPECT_EQ(0xFF0000u, WallpaperPixel(1439, 479));
    EXPECT_EQ(0u, WallpaperPixel(1100, 550));
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(red, tavrin.GetString("SelectedWallPaper"));
    EXPECT_EQ("", Monitors(L"Wallpapers"));
}

TEST_F(TwoMonitors, ASpanPictureCoversBothMonitorsAsOneCroppedAtItsSides) {
    ASSERT_EQ(1440, GetSystemMetrics(SM_CXVIRTUALSCREEN)) << "run on the two-screen X server";
    // A 4:1 panorama over the 1440 x 600 bounding rectangle: scaled ten times
    // it is 2400 wide, so 48 picture columns go at each side (green, never
    // seen); red and blue meet at the middle of the whole desktop, x = 720,
    // which lies on the main monitor.
    const std::string panorama = dir.File("panorama.bmp");
    WriteTestBitmap(panorama, 240, 60, [](int x, int) -> uint32_t {
        return x < 48 || x >= 192 ? 0x00FF00 : x < 120 ? 0xFF0000 : 0x0000FF;
    });
    WallPaperEntries entries;
    entries.push_back(std::make_unique<CWallPaperData>("赤", red, kStyleFill));
    entries.push_back(std::make_unique<CWallPaperData>("パノラマ", panorama, kStyleSpan));
    for (auto& e : entries) e->m_bInUse = true;
    WriteBytes(list, EncodeListFile(entries));

    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.ChooseItem(1));  // パノラマ, for all monitors
    EXPECT_TRUE(IsTemporaryFile(DesktopWallpaper())) << DesktopWallpaper();
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ("0", DesktopValue(L"WallpaperStyle"));
    SIZE size = WallpaperSize();
    EXPECT_EQ(1440, size.cx);
    EXPECT_EQ(600, size.cy);
    EXPECT_EQ(0xFF0000u, WallpaperPixel(5, 5));       // the main monitor: red from its left edge
    EXPECT_EQ(0xFF0000u, WallpaperPixel(700, 590));
    EXPECT_EQ(0x0000FFu, WallpaperPixel(740, 300));   // ... and blue past the desktop's middle
    EXPECT_EQ(0x0000FFu, WallpaperPixel(860, 10));    // the second monitor continues the blue
    EXPECT_EQ(0x0000FFu, WallpaperPixel(1434, 474));  // to its right edge: the green sides were cropped
    EXPECT_EQ(0u, WallpaperPixel(1100, 550));         // below the second monitor: no monitor
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(panorama, tavrin.GetString("SelectedWallPaper"));
    EXPECT_EQ(DWORD(kStyleSpan), tavrin.GetInt("ViewStyle", 99));
}
