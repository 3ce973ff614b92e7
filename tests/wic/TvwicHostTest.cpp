// tvwic.spi as Tavrin uses it: loaded by the plug-in host from the plug-in
// folder, and in the real tavrin.exe choosing pictures from the tray menu.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "../image/TestPictures.h"
#include "e2e/TavrinDriver.h"
#include "TestSupport.h"
#include "PhotoLibrary.h"
#include "TvwicLibrary.h"
#include "WicPictures.h"
#include "settings/AppSettings.h"
#include "framework/Profile.h"
#include "framework/UserMessages.h"
#include "list/ListFileCodec.h"
#include "plugin/CSPIControl.h"
#include "plugin/TestPluginExtension.h"

namespace {
std::string InstallTvwic(const TempDir& dir) {
    std::string folder = dir.File("spi");
    CreateDirectoryW(W(folder).c_str(), nullptr);
    CopyFileW(W(BuiltPluginPath()).c_str(), W(folder + "\\tvwic" SPI_EXT).c_str(), FALSE);
    return folder;
}

uint32_t Rgb(uint32_t argb) { return argb & 0xFFFFFF; }

// The plug-in host with tvwic.spi as its only plug-in.
struct TvwicInHost : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    AppSettings settings{profile};
    ScopedMessageRecorder messages;
    std::unique_ptr<CSPIControl> made;
    CSPIControl& host = Make();

    CSPIControl& Make() {
        settings.enableSPI = true;
        settings.spiPath = InstallTvwic(dir);
        made = std::make_unique<CSPIControl>(&settings);
        return *made;
    }
};
}  // namespace

TEST_F(TvwicInHost, TheHostListsItsFormatsAndDecodesJpegPngAndBmp) {
    ASSERT_EQ(1, host.GetPluginCount());
    EXPECT_NE(std::string::npos, host.GetOpenFilter(false).find("|JPEG (*.jpg;")) << host.GetOpenFilter(false);
    std::string patterns = " " + host.GetImagePatterns();
    for (const char* p : {" *.jpg ", " *.jpeg ", " *.png ", " *.gif ", " *.tif ", " *.bmp "})
        EXPECT_NE(std::string::npos, patterns.find(p)) << p << " in" << patterns;

    TestImage image = MakeImage(45, 31, Blocks16);
    struct { Container c; const char* name; int tolerance; } cases[] = {
        {Container::Jpeg, "photo.jpg", 40}, {Container::Png, "picture.png", 0}, {Container::Bmp, "plain.bmp", 0},
        {Container::Gif, "anim.gif", 0}, {Container::Tiff, "scan.tif", 0}};
    for (auto& c : cases) {
        std::string path = dir.File(c.name);
        WriteBytes(path, EncodePicture(c.c, c.c == Container::Jpeg ? MakeImage(45, 31, Smooth) : image));
        HBITMAP bitmap = host.LoadPicture(path);
        ASSERT_NE(nullptr, bitmap) << c.name;
        EXPECT_EQ(45, BitmapSize(bitmap).cx) << c.name;
        EXPECT_EQ(31, BitmapSize(bitmap).cy) << c.name;
        for (int y = 0; y < 31; y += 5)
            for (int x = 0; x < 45; x += 4) {
                uint32_t want = Rgb(c.c == Container::Jpeg ? Smooth(x, y) : image.At(x, y));
                EXPECT_LE(ChannelDistance(want, BitmapPixel(bitmap, x, y)), c.tolerance) << c.name << " " << x << "," << y;
            }
        DeleteObject(bitmap);
    }
    // Not a picture: the host reports the plug-in's answer as unknown format.
    std::string text = dir.File("notes.jpg");
    WriteBytes(text, "just words");
    EXPECT_EQ(nullptr, host.LoadPicture(text));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("(2)")) << messages.shown[0].text;
}

// An editor or a sync client may hold the picture open for writing.
TEST_F(TvwicInHost, APictureHeldOpenForWritingStillDecodes) {
    std::string path = dir.File("held.png");
    WriteBytes(path, EncodePicture(Container::Png, MakeImage(12, 9, Blocks16)));
    HANDLE holder = CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    HBITMAP bitmap = host.LoadPicture(path);
    CloseHandle(holder);
    ASSERT_NE(nullptr, bitmap) << (messages.shown.empty() ? "" : messages.shown[0].text);
    EXPECT_EQ(12, BitmapSize(bitmap).cx);
    DeleteObject(bitmap);
    EXPECT_TRUE(messages.shown.empty());
}

namespace {
void WriteList(const std::string& file, const std::vector<std::pair<std::string, std::string>>& rows) {
    WallPaperEntries entries;
    for (auto& [name, path] : rows) {
        auto e = std::make_unique<CWallPaperData>(name, path, kStyleCentre);
        e->m_bInUse = true;
        entries.push_back(std::move(e));
    }
    WriteBytes(file, EncodeListFile(entries));
}
}  // namespace

TEST(TvwicEndToEnd, TavrinAppliesAJpegAndAPngChosenFromTheTrayMenu) {
    TempDir dir;
    TavrinDriver tavrin;
    std::string list = dir.File("List.tvl");
    tavrin.SetString("ConfPath", list);
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSPI", 1);
    tavrin.SetString("SPIPath", InstallTvwic(dir));
    tavrin.SetInt("EnableSelectPreview", 0);
    TestImage photo = MakeImage(120, 80, Smooth);
    TestImage flat = MakeImage(90, 60, Blocks16);
    std::string jpeg = dir.File("photo.jpg"), png = dir.File("flat.png");
    // The photo was taken with the camera on its side: it shows 80 x 120.
    WriteBytes(jpeg, WithJpegOrientation(EncodePicture(Container::Jpeg, photo), 8));
    WriteBytes(png, EncodePicture(Container::Png, flat));
    WriteList(list, {{"flat", png}, {"photo", jpeg}});  // the menu shows the last entry on top
    const std::string temp = std::string(TAVRIN_BIN_DIR) + "/TVTemp.bmp";
    ASSERT_TRUE(tavrin.Start());

    struct { int down; int w, h; bool turned; const TestImage* image; int tolerance; } cases[] = {
        {1, 80, 120, true, &photo, 24}, {2, 90, 60, false, &flat, 0}};
    for (auto& c : cases) {
        ASSERT_TRUE(tavrin.ChooseItem(c.down));
        std::string wallpaper = DesktopWallpaper();
        EXPECT_NE(std::string::npos, wallpaper.find("TVTemp.bmp")) << wallpaper;
        HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(wallpaper).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
        ASSERT_NE(nullptr, written) << wallpaper;
        EXPECT_EQ(c.w, BitmapSize(written).cx);
        EXPECT_EQ(c.h, BitmapSize(written).cy);
        for (int y = 0; y < c.h; y += 7)
            for (int x = 0; x < c.w; x += 5) {
                // Orientation 8: shown (x, y) is stored (width - 1 - y, x).
                uint32_t want = Rgb(c.turned ? c.image->At(c.image->width - 1 - y, x) : c.image->At(x, y));
                ASSERT_LE(ChannelDistance(want, BitmapPixel(written, x, y)), c.tolerance) << x << "," << y;
            }
        DeleteObject(written);
    }
    std::string text;
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 300)) << text;
    EXPECT_TRUE(tavrin.Stop());
}

TEST(TvwicEndToEnd, WalkingAMenuOfLargePhotosStaysWithinTheBudgetAndAppliesTheLast) {
    // Sixteen 4000 x 3000 photos, 48 MB each as screen bitmaps: three times
    // the default budget of 256 MiB if every one were kept.
    constexpr int kPhotos = 16;
    TempDir dir;
    TavrinDriver tavrin;
    const std::string list = dir.File("List.tvl");
    ASSERT_TRUE(WritePhotoLibrary(dir.path(), list, kPhotos, 4000, 3000));
    tavrin.SetString("ConfPath", list);
    tavrin.SetString("DeskCalPath", "");
    tavrin.SetInt("EnableSPI", 1);
    tavrin.SetString("SPIPath", InstallTvwic(dir));
    ASSERT_TRUE(tavrin.Start());
    uint64_t atStart = 0, peak = 0, now = 0;
    ASSERT_TRUE(ResidentMemory(tavrin.process(), &atStart, &peak));

    // Top to bottom, resting on each photo long enough for its preview.
    ASSERT_TRUE(tavrin.OpenMenu());
    for (int i = 0; i < kPhotos; ++i) {
        tavrin.Down(1);
        Sleep(700);
    }
    HWND preview = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        preview = FindVisiblePreview(tavrin.ProcessId());
        return preview && IsBottomPhotoColour(ColourAtMiddle(preview));
    }, 10000)) << "the bottom photo is previewed";
    uint64_t walkPeak = 0;
    ASSERT_TRUE(ResidentMemory(tavrin.process(), &now, &walkPeak));
    tavrin.Enter();
    ASSERT_TRUE(tavrin.WaitMenuClosed());
    tavrin.Settle();
    ASSERT_TRUE(WaitFor([&] { return DesktopWallpaper().find("TVTemp.bmp") != std::string::npos; }, 20000));

    ASSERT_TRUE(ResidentMemory(tavrin.process(), &now, &peak));
    const uint64_t MiB = 1 << 20;
    std::printf("resident memory: %llu MiB at start, walk peak %llu MiB, peak with the apply %llu MiB\n",
                (unsigned long long)(atStart / MiB), (unsigned long long)(walkPeak / MiB),
                (unsigned long long)(peak / MiB));
    // The budget plus one picture being decoded (the plug-in's rows and the
    // screen bitmap made from them), with room for the heap's own slack: the
    // cache without a budget went past 700 MiB on this walk.
    EXPECT_LE(walkPeak, atStart + (256 + 96) * MiB) << "the budget plus one picture being decoded";
    // Applying adds the wallpaper file's bytes (48 MB) for the length of the write.
    EXPECT_LE(peak, atStart + (256 + 96 + 48) * MiB);
    EXPECT_LT(peak, 700 * MiB);

    HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(DesktopWallpaper()).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(4000, BitmapSize(written).cx);
    EXPECT_EQ(3000, BitmapSize(written).cy);
    uint32_t middle = BitmapPixel(written, 2000, 1500);
    EXPECT_TRUE(IsBottomPhotoColour(RGB(middle >> 16, (middle >> 8) & 0xFF, middle & 0xFF))) << std::hex << middle;
    DeleteObject(written);
    std::string text;
    EXPECT_FALSE(tavrin.WaitMessageBox(&text, 300)) << text;
    EXPECT_TRUE(tavrin.Stop());
}
