// The real tavrin.exe, driven from outside as a user would drive it.
#include <gtest/gtest.h>

#include "../image/TestPictures.h"
#include "e2e/TavrinFixture.h"
#include "TavrinDriver.h"
#include "TestSupport.h"
#include "framework/TextBridge.h"
#include "list/ListFileCodec.h"
#include "plugin/TestPluginExtension.h"

namespace {
struct Row { std::string name, path; DisplayStyle style; bool inUse; };

void WriteList(const std::string& file, const std::vector<Row>& rows) {
    WallPaperEntries entries;
    for (const Row& r : rows) {
        auto e = std::make_unique<CWallPaperData>(r.name, r.path, r.style);
        e->m_bInUse = r.inUse;
        entries.push_back(std::move(e));
    }
    WriteBytes(file, EncodeListFile(entries));
}

struct EndToEnd : TavrinFixture {
    std::string Picture(const std::string& name, int w, int h, uint32_t (*colour)(int, int)) {
        std::string path = dir.File(name);
        WriteTestBitmap(path, w, h, colour);
        return path;
    }
    // Plug-ins on, read from a folder of the test's own holding `names`.
    bool UsePlugIns(std::initializer_list<const char*> names) {
        const std::string spi = dir.File("spi");
        CreateDirectoryW(W(spi).c_str(), nullptr);
        for (const char* name : names)
            if (!CopyFileW(W(std::string(TAVRIN_TEST_BIN_DIR) + "/spi/" + name).c_str(), W(spi + "\\" + name).c_str(),
                           FALSE))
                return false;
        tavrin.SetInt("EnableSPI", 1);
        tavrin.SetString("SPIPath", spi);
        return true;
    }
};
}  // namespace

// The menu's items and flags are read in-process by the tray menu tests:
// Wine keeps a menu in the process that made it, so another process cannot
// read it.  Here the menu is used as a user would: by keyboard.
TEST_F(EndToEnd, EmptyListMenuOpensAndClosesAndTheListIsSavedAtExit) {
    ASSERT_TRUE(tavrin.Start());
    wchar_t title[64] = {};
    GetWindowTextW(tavrin.tray(), title, 64);
    EXPECT_STREQ(L"Tavrin 2.0\u03b2", title);
    ASSERT_TRUE(tavrin.OpenMenu());
    tavrin.Down(1);
    tavrin.Enter();  // the greyed placeholder does nothing
    tavrin.Escape();
    EXPECT_TRUE(tavrin.WaitMenuClosed());
    tavrin.Settle();
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(std::string("\x00\x00", 2), ReadBytes(list));
    EXPECT_EQ(list, tavrin.GetString("ConfPath"));
    EXPECT_EQ(1u, tavrin.GetInt("EnableSelectPreview", 9));
}

TEST_F(EndToEnd, SelectionComesBackAtStartAndChoosingAnItemApplies) {
    std::string red = Picture("red.bmp", 32, 24, SolidRed);
    std::string grad = Picture("\x95\xc7\x8e\x86.bmp", 40, 30, Gradient);  // 壁紙.bmp
    WriteList(list, {{"赤", red, kStyleCentre, true},
                     {"unused", red, kStyleTile, false},
                     {"写真", dir.File("photo.JPG"), kStyleStretch, true},
                     {"赤", grad, kStyleTile, true},
                     {"グラデーション", grad, kStyleTile, true}});
    tavrin.SetString("SelectedWallPaper", grad);
    tavrin.SetInt("ViewStyle", kStyleTile);
    const std::string temp = std::string(TAVRIN_BIN_DIR) + "/TVTemp.bmp";
    DeleteFileW(W(temp).c_str());
    ASSERT_TRUE(tavrin.Start());
    EXPECT_EQ(grad, DesktopWallpaper()) << "the last selection comes back at start";
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));

    // From the top: グラデーション, 赤 (the back twin), 写真, 赤.  The second
    // item shares its name with the front entry, which is the one applied.
    ASSERT_TRUE(tavrin.ChooseItem(2));
    EXPECT_EQ(red, DesktopWallpaper());
    EXPECT_EQ("0", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ("0", DesktopValue(L"WallpaperStyle"));
    EXPECT_FALSE(PathExists(temp));
    HBITMAP shown = (HBITMAP)LoadImageW(nullptr, W(DesktopWallpaper()).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(32, BitmapSize(shown).cx);
    EXPECT_EQ(0xFF0000u, BitmapPixel(shown, 5, 5));
    DeleteObject(shown);

    // The first item is the entry applied at the top of the menu.
    ASSERT_TRUE(tavrin.ChooseItem(1));
    EXPECT_EQ(grad, DesktopWallpaper());
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));

    SendMessageW(tavrin.tray(), WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(grad, tavrin.GetString("SelectedWallPaper"));
    EXPECT_EQ(1u, tavrin.GetInt("ViewStyle", 9));
    EXPECT_TRUE(tavrin.Stop());
}

TEST_F(EndToEnd, HoverPreviewsInTheCornerAndClosingHides) {
    std::string pic = Picture("p.bmp", 64, 48, SolidRed);
    WriteList(list, {{"p", pic, kStyleStretch, true}});
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.OpenMenu());
    tavrin.Down(1);
    HWND preview = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        preview = tavrin.FindOwnWindow(L"#32770");
        return preview && IsWindowVisible(preview);
    }));
    RECT r, work;
    GetWindowRect(preview, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.left + 10, r.left);
    EXPECT_EQ(work.bottom - 10, r.bottom);
    int cx = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_LE(r.right - r.left, cx / 4);
    EXPECT_GE(r.right - r.left, cx / 4 - 8) << "the client size of a quarter-screen window";
    tavrin.Escape();
    ASSERT_TRUE(tavrin.WaitMenuClosed());
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(preview); }));
    EXPECT_TRUE(tavrin.Stop());
}

TEST_F(EndToEnd, HalftoneStretchWritesTheTemporaryBitmapAtScreenSize) {
    std::string pic = Picture("s.bmp", 50, 40, Gradient);
    WriteList(list, {{"s", pic, kStyleStretch, true}});
    tavrin.SetInt("EnableHalfTone", 1);
    tavrin.SetInt("EnableSelectPreview", 0);
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.ChooseItem(1));
    std::string wallpaper = DesktopWallpaper();
    EXPECT_NE(std::string::npos, wallpaper.find("TVTemp.bmp")) << wallpaper;
    HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(wallpaper).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), BitmapSize(written).cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), BitmapSize(written).cy);
    DeleteObject(written);
    EXPECT_EQ("2", DesktopValue(L"WallpaperStyle"));
    EXPECT_TRUE(tavrin.Stop());
    DeleteFileW(W(wallpaper).c_str());
}

TEST_F(EndToEnd, PostChangeCommandStartsOnceWhileItRuns) {
    std::string pic = Picture("c.bmp", 8, 8, SolidRed);
    WriteList(list, {{"c", pic, kStyleCentre, true}});
    std::string folder = dir.File("Cal Tools");
    CreateDirectoryW(W(folder).c_str(), nullptr);
    std::string program = folder + "\\waiter.exe";
    ASSERT_TRUE(CopyFileW(W(std::string(TAVRIN_TEST_BIN_DIR) + "/waiter.exe").c_str(), W(program).c_str(), FALSE));
    std::string out = dir.File("ran.txt");
    tavrin.SetString("DeskCalPath", program + " " + out + " 5000");  // runs on for 5 s
    ASSERT_TRUE(tavrin.Start());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(tavrin.ChooseItem(1));
        if (round == 0) {
            ASSERT_TRUE(WaitFor([&] { return PathExists(out); }));
            EXPECT_EQ(out + "\n5000\n", ReadBytes(out));
            DeleteFileW(W(out).c_str());
        }
    }
    Sleep(500);
    EXPECT_FALSE(PathExists(out)) << "a second command started while the first still ran";
    EXPECT_TRUE(tavrin.Stop());
}

TEST_F(EndToEnd, DamagedListIsReportedAndItsBytesSurviveTheRun) {
    const std::string damaged("\x03\x00\xff\xff\x02\x00\x0e\x00" "CWallPaperData\x01", 23);
    WriteBytes(list, damaged);
    ASSERT_TRUE(tavrin.Start());
    std::string text;
    ASSERT_TRUE(tavrin.WaitMessageBox(&text));
    EXPECT_EQ("リストファイル[" + list + "]は壊れています。\nフォーマット異常のため読み込みデータを初期化しました。", text);
    tavrin.AnswerMessageBox();
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(damaged, ReadBytes(list + ".bak"));
    EXPECT_EQ(std::string("\x00\x00", 2), ReadBytes(list));
}

TEST(Manifest, DeclaresTheProgramDpiAware) {
    HMODULE exe = LoadLibraryExW(W(std::string(TAVRIN_BIN_DIR) + "/tavrin.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, exe);
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    ASSERT_NE(nullptr, found);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))), SizeofResource(exe, found));
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
    FreeLibrary(exe);
}

TEST_F(EndToEnd, OnAScaledDisplayTheWallpaperHasTheScreensPhysicalSize) {
    // 144 DPI (150 %): a program that did not declare itself DPI-aware
    // would be told a smaller, scaled screen on Windows.  (Wine 8 does not
    // scale for such programs, so the manifest test above carries the proof
    // there; this one shows the whole path at that setting.)
    DWORD dpi = 144, previous = 0, size = sizeof(previous);
    bool hadValue = RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD,
                                 nullptr, &previous, &size) == ERROR_SUCCESS;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    std::string pic = Picture("dpi.bmp", 30, 20, Gradient);
    WriteList(list, {{"s", pic, kStyleStretch, true}});
    tavrin.SetInt("EnableHalfTone", 1);
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.ChooseItem(1));
    EXPECT_TRUE(tavrin.Stop());
    if (hadValue)
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &previous, 4);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");

    HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(DesktopWallpaper()).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), BitmapSize(written).cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), BitmapSize(written).cy);
    DeleteObject(written);
}

TEST_F(EndToEnd, ChoosingWithTheEffectOnShowsItAndItGoesAwayByItself) {
    std::string pic = Picture("effect.bmp", 64, 48, SolidRed);
    WriteList(list, {{"e", pic, kStyleTile, true}});
    tavrin.SetInt("ChangingEffect", 1);
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.OpenMenu());
    tavrin.Down(1);
    tavrin.Enter();
    HWND effect = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        effect = tavrin.FindOwnWindow(L"TavrinWallChangeEffect", L"Tavrin WallChangeEffectingWnd");
        return effect != nullptr;
    }, 5000)) << "the effect window did not show";
    RECT r, work;
    GetWindowRect(effect, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.right - work.left, r.right - r.left);
    EXPECT_EQ(work.bottom - work.top, r.bottom - r.top);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(effect); }, 20000)) << "the effect window stayed";
    EXPECT_EQ(pic, DesktopWallpaper());
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_TRUE(tavrin.Stop());
}

namespace {
// A binary Netpbm picture (P6) whose pixel (x, y) is colour(x, y).
std::string Ppm(int w, int h, uint32_t (*colour)(int, int)) {
    std::string b = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = colour(x, y);
            b.push_back(char(c >> 16));
            b.push_back(char((c >> 8) & 0xFF));
            b.push_back(char(c & 0xFF));
        }
    return b;
}

// A tar archive holding one member.
std::string Tar(const std::string& name, const std::string& data) {
    std::string header(512, '\0');
    header.replace(0, name.size(), name);
    auto octal = [&](size_t at, size_t width, size_t value) {
        char buf[32];
        std::snprintf(buf, sizeof(buf), "%0*zo", int(width - 1), value);
        header.replace(at, width - 1, buf);
    };
    octal(100, 8, 0644);
    octal(108, 8, 0);
    octal(116, 8, 0);
    octal(124, 12, data.size());
    octal(136, 12, 1700000000);
    header[156] = '0';
    header.replace(257, 5, "ustar");
    header.replace(148, 8, "        ");
    size_t sum = 0;
    for (unsigned char c : header) sum += c;
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%06zo", sum);
    header.replace(148, 7, std::string(buf, 6) + '\0');
    std::string out = header + data;
    out.resize((out.size() + 511) / 512 * 512, '\0');
    return out + std::string(1024, '\0');
}
}  // namespace

TEST_F(EndToEnd, WithPlugInsTheTemporaryBitmapHoldsTheDecodedPicture) {
    ASSERT_TRUE(UsePlugIns({"pnm" SPI_EXT, "tar" SPI_EXT}));
    std::string ppm = dir.File("picture.ppm");
    WriteBytes(ppm, Ppm(48, 36, Gradient));
    std::string tar = dir.File("pictures.tar");
    WriteBytes(tar, Tar("inside.ppm", Ppm(20, 10, SolidRed)));
    WriteList(list, {{"archived", tar + "|inside.ppm", kStyleCentre, true}, {"ppm", ppm, kStyleTile, true}});
    tavrin.SetInt("EnableSelectPreview", 0);
    const std::string temp = std::string(TAVRIN_BIN_DIR) + "/TVTemp.bmp";
    ASSERT_TRUE(tavrin.Start());

    struct { int down; int w, h; uint32_t (*colour)(int, int); const char* tile; } cases[] = {
        {1, 48, 36, Gradient, "1"},   // the top item: the ppm file
        {2, 20, 10, SolidRed, "0"},   // the picture inside the archive
    };
    for (auto& c : cases) {
        ASSERT_TRUE(tavrin.ChooseItem(c.down));
        std::string wallpaper = DesktopWallpaper();
        EXPECT_NE(std::string::npos, wallpaper.find("TVTemp.bmp")) << wallpaper;
        EXPECT_EQ(c.tile, DesktopValue(L"TileWallPaper"));
        HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(wallpaper).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        ASSERT_NE(nullptr, written) << wallpaper;
        EXPECT_EQ(c.w, BitmapSize(written).cx);
        EXPECT_EQ(c.h, BitmapSize(written).cy);
        for (int y = 0; y < c.h; y += 3)
            for (int x = 0; x < c.w; x += 5) ASSERT_EQ(c.colour(x, y), BitmapPixel(written, x, y)) << x << "," << y;
        DeleteObject(written);
    }
    std::string text;
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 300)) << text;
    EXPECT_TRUE(tavrin.Stop());
}

namespace {
uint32_t SolidBlue(int, int) { return 0x0000FF; }
uint32_t SolidGreen(int, int) { return 0x00C000; }
uint32_t SolidYellow(int, int) { return 0xFFFF00; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The entries the preview store beside `list` holds, or -1 without one.
int StoredPreviews(const std::string& list) {
    std::string bytes = ReadBytes(list.substr(0, list.size() - 4) + ".previews");
    if (bytes.size() < 20 || bytes.compare(0, 8, std::string("TVPREVS\0", 8)) != 0) return -1;
    uint32_t count = 0;
    memcpy(&count, bytes.data() + 12, 4);
    return int(count);
}

// Whether the colour at the middle of the visible preview is `rgb` (0xRRGGBB)
// within what JPEG leaves of a flat colour.
bool PreviewShows(TavrinDriver& tavrin, uint32_t rgb) {
    HWND preview = tavrin.FindOwnWindow(L"#32770");
    if (!preview || !IsWindowVisible(preview)) return false;
    RECT r;
    GetWindowRect(preview, &r);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ReleaseDC(nullptr, screen);
    auto within = [](int a, int b) { return std::abs(a - b) <= 12; };
    return c != CLR_INVALID && within(GetRValue(c), (rgb >> 16) & 0xFF) && within(GetGValue(c), (rgb >> 8) & 0xFF) &&
           within(GetBValue(c), rgb & 0xFF);
}
}  // namespace

// Previews made ahead are kept beside the list; a restarted Tavrin shows
// them without asking the plug-in for anything, and decodes only a picture
// whose file changed since.
TEST_F(EndToEnd, ARestartedTavrinPreviewsStoredPicturesWithoutDecoding) {
    ASSERT_TRUE(UsePlugIns({"pnm" SPI_EXT}));
    struct { const char* name; uint32_t (*colour)(int, int); uint32_t rgb; } pictures[] = {
        {"blue.ppm", SolidBlue, 0x0000FF}, {"green.ppm", SolidGreen, 0x00C000}, {"red.ppm", SolidRed, 0xFF0000}};
    std::vector<Row> rows;
    for (auto& p : pictures) {
        WriteBytes(dir.File(p.name), Ppm(640, 480, p.colour));
        rows.push_back({p.name, dir.File(p.name), kStyleStretch, true});
    }
    WriteList(list, rows);  // the menu shows the last entry first: red, green, blue
    tavrin.SetInt("PreloadPreviewPics", 1);
    const std::string decodes = dir.File("decodes.log");
    SetEnvironmentVariableW(L"TAVRIN_SPI_DECODE_LOG", W(decodes).c_str());

    ASSERT_TRUE(tavrin.Start());
    EXPECT_TRUE(WaitFor([&] { return StoredPreviews(list) == 3; }, 15000)) << StoredPreviews(list);
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(3u, Lines(ReadBytes(decodes)).size()) << "each made once: " << ReadBytes(decodes);

    DeleteFileW(W(decodes).c_str());
    ASSERT_TRUE(tavrin.Start());
    ASSERT_TRUE(tavrin.OpenMenu());
    const uint32_t shown[] = {0xFF0000, 0x00C000, 0x0000FF};
    for (uint32_t rgb : shown) {
        tavrin.Down(1);
        EXPECT_TRUE(WaitFor([&] { return PreviewShows(tavrin, rgb); }, 3000)) << std::hex << rgb;
    }
    tavrin.Escape();
    ASSERT_TRUE(tavrin.WaitMenuClosed());
    tavrin.Settle();
    Sleep(1500);  // the maker's pass after start finds nothing to make
    EXPECT_EQ("", ReadBytes(decodes)) << "nothing decoded after the restart";

    // A picture changed on disk is not shown from its old preview.
    WriteBytes(dir.File("green.ppm"), Ppm(640, 480, SolidYellow));
    ASSERT_TRUE(tavrin.OpenMenu());
    tavrin.Down(2);
    EXPECT_TRUE(WaitFor([&] { return PreviewShows(tavrin, 0xFFFF00); }, 5000));
    tavrin.Escape();
    ASSERT_TRUE(tavrin.WaitMenuClosed());
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_EQ(std::vector<std::string>{dir.File("green.ppm")}, Lines(ReadBytes(decodes)));
    SetEnvironmentVariableW(L"TAVRIN_SPI_DECODE_LOG", nullptr);
}

// A plug-in that is still reading when Tavrin is closed holds the exit up a
// few seconds at most, and the exit is clean: the list stays as it was.
TEST_F(EndToEnd, ClosingWhilePreviewsAreMadeInASlowPlugInEndsSoonAndCleanly) {
    ASSERT_TRUE(UsePlugIns({"pnm" SPI_EXT}));
    WriteBytes(dir.File("slow.ppm"), Ppm(64, 48, SolidBlue));
    WriteList(list, {{"slow", dir.File("slow.ppm"), kStyleStretch, true}});
    const std::string before = ReadBytes(list);
    tavrin.SetInt("PreloadPreviewPics", 1);
    const std::string decodes = dir.File("decodes.log");
    SetEnvironmentVariableW(L"TAVRIN_SPI_DECODE_LOG", W(decodes).c_str());
    SetEnvironmentVariableW(L"TAVRIN_SPI_DECODE_SLEEP_MS", L"30000");

    ASSERT_TRUE(tavrin.Start());
    EXPECT_TRUE(WaitFor([&] { return !ReadBytes(decodes).empty(); }, 10000)) << "the maker is in the plug-in";
    const DWORD start = GetTickCount();
    EXPECT_TRUE(tavrin.Stop());
    EXPECT_LT(GetTickCount() - start, 8000u) << "the exit waits for the plug-in once, a few seconds";
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(tavrin.process(), &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(before, ReadBytes(list));
    SetEnvironmentVariableW(L"TAVRIN_SPI_DECODE_SLEEP_MS", nullptr);
    SetEnvironmentVariableW(L"TAVRIN_SPI_DECODE_LOG", nullptr);
}
