// The real tavrin.exe with a plug-in that faults while decoding the
// wallpaper chosen from the tray menu: the program keeps running, tells the
// user once, leaves the wallpaper alone, applies a good picture next, and
// ends normally with its list and settings saved.
#include <gtest/gtest.h>

#include "TavrinDriver.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "plugin/TestPluginExtension.h"

namespace {
std::string SolidPpm(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    std::string bytes = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int i = 0; i < w * h; ++i) bytes += std::string{char(r), char(g), char(b)};
    return bytes;
}

uint32_t PixelOf(const std::string& bitmapFile, int x, int y) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, W(bitmapFile).c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return 0xFFFFFFFF;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
}  // namespace

TEST(PluginFaultEndToEnd, TheProgramOutlivesAFaultingPluginAndGoesOn) {
    TempDir dir;
    TavrinDriver tavrin;
    const std::string list = dir.File("List.tvl");
    const std::string spi = dir.File("spi");
    CreateDirectoryW(W(spi).c_str(), nullptr);
    for (const char* name : {"fault_magic" SPI_EXT, "pnm" SPI_EXT})
        ASSERT_TRUE(CopyFileW(W(std::string(TAVRIN_TEST_BIN_DIR) + "/spi/" + name).c_str(),
                              W(spi + "\\" + name).c_str(), FALSE));
    const std::string bad = dir.File("bad.flt");
    WriteBytes(bad, "FAULT: only the faulting plug-in takes this");
    const std::string good = dir.File("good.ppm");
    WriteBytes(good, SolidPpm(40, 30, 0, 0x80, 0xFF));

    WallPaperEntries entries;
    entries.push_back(std::make_unique<CWallPaperData>("bad", bad, kStyleCentre));
    entries.push_back(std::make_unique<CWallPaperData>("good", good, kStyleTile));
    const std::string listBytes = EncodeListFile(entries);
    WriteBytes(list, listBytes);
    tavrin.SetString("ConfPath", list);
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSPI", 1);
    tavrin.SetString("SPIPath", spi);
    tavrin.SetInt("EnableSelectPreview", 0);
    const std::string wallpaperBefore = DesktopWallpaper();
    const std::string tileBefore = DesktopValue(L"TileWallPaper");
    ASSERT_TRUE(tavrin.Start());

    // The menu lists the last entry first: 1 good, 2 bad.
    ASSERT_TRUE(tavrin.ChooseItem(2));
    std::string text;
    ASSERT_TRUE(tavrin.WaitMessageBox(&text));
    EXPECT_EQ(0u, text.find("プラグイン[fault_magic" SPI_EXT "]が異常終了したため、使用を停止しました。\n"
                            "GetPicture の実行中に例外 0xC0000005 (アクセス違反) が発生しました"))
        << text;
    tavrin.AnswerMessageBox();
    // That box is the only one: the applier does not add its own after it.
    tavrin.Settle();
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 300)) << text;
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(tavrin.process(), 0)) << "the program is still running";
    EXPECT_TRUE(IsWindow(tavrin.tray()));
    EXPECT_EQ(wallpaperBefore, DesktopWallpaper());
    EXPECT_EQ(tileBefore, DesktopValue(L"TileWallPaper"));

    ASSERT_TRUE(tavrin.ChooseItem(1));
    const std::string wallpaper = DesktopWallpaper();
    EXPECT_NE(std::string::npos, wallpaper.find("TVTemp.bmp")) << wallpaper;
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ(0x0080FFu, PixelOf(wallpaper, 3, 3));
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 300)) << text;

    ASSERT_TRUE(tavrin.Stop());
    DWORD exitCode = 99;
    GetExitCodeProcess(tavrin.process(), &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(listBytes, ReadBytes(list)) << "the list is saved whole";
    EXPECT_EQ(good, tavrin.GetString("SelectedWallPaper"));
    EXPECT_EQ(1u, tavrin.GetInt("EnableSPI", 9));
    EXPECT_EQ("", tavrin.GetString("DisableSPIs")) << "the next start tries the plug-in again";
}
