#include <gtest/gtest.h>

#include "../image/TestPictures.h"
#include "TestSupport.h"
#include "desktop/WallPaperApplier.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "context/AppContext.h"

namespace {
struct ApplierFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<WallPaperApplier> applier;
    std::string picture;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        context = std::make_unique<AppContext>(profile);
        context->settings().programDirectory = dir.path();
        applier = std::make_unique<WallPaperApplier>(*context);
        picture = dir.File("\x95\xc7\x8e\x86.bmp");  // 壁紙.bmp
        WriteTestBitmap(picture, 40, 30, Gradient);
    }
};
}  // namespace

TEST_F(ApplierFixture, BitmapEntryWithoutConversionPassesItsOwnPath) {
    CWallPaperData entry("w", picture, kStyleTile);
    EXPECT_TRUE(applier->Apply(entry));
    EXPECT_EQ(picture, DesktopValue(L"Wallpaper"));
    EXPECT_EQ("1", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ("0", DesktopValue(L"WallpaperStyle"));
    EXPECT_FALSE(PathExists(dir.File("TVTemp.bmp")));
    EXPECT_EQ(picture, context->settings().selectedWallPaper);
    EXPECT_EQ(kStyleTile, context->settings().viewStyle);
}

BOOL WINAPI RefuseWallpaper(UINT, UINT, PVOID, UINT) { return FALSE; }

// A wallpaper the system refuses is told, and the selection stays.
TEST_F(ApplierFixture, ASystemThatRefusesTheWallpaperIsToldAndTheSelectionStays) {
    context->settings().selectedWallPaper = "before.bmp";
    WallPaperApplier::SetWallpaperFn real = WallPaperApplier::s_setWallpaper;
    WallPaperApplier::s_setWallpaper = &RefuseWallpaper;
    const bool applied = applier->Apply(CWallPaperData("w", picture, kStyleCentre));
    WallPaperApplier::s_setWallpaper = real;
    EXPECT_FALSE(applied);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("システムが壁紙[" + picture + "]を受け付けませんでした。", messages.shown[0].text);
    EXPECT_EQ("before.bmp", context->settings().selectedWallPaper);
}

// A start that finds the wallpaper file of the last run still current sets
// it again with nothing decoded; once the picture has changed it is drawn afresh.
TEST_F(ApplierFixture, AStartSetsTheFileOfTheLastRunAgainWhileItIsCurrent) {
    context->settings().enableHalfTone = true;  // a conversion: the file is TVTemp.bmp
    ASSERT_TRUE(applier->Apply(CWallPaperData("w", picture, kStyleFit)));
    const std::string temp = dir.File("TVTemp.bmp"), written = ReadBytes(temp);
    ASSERT_EQ(temp, DesktopValue(L"Wallpaper"));
    context->cache().UnloadAll();
    const uint64_t decodes = context->cache().decodeCount();

    WallPaperApplier restarted(*context);
    ASSERT_TRUE(restarted.ApplyAtStartUp(CWallPaperData(std::string(), picture, kStyleFit)));
    EXPECT_EQ(decodes, context->cache().decodeCount());
    EXPECT_EQ(temp, DesktopValue(L"Wallpaper"));
    EXPECT_EQ(written, ReadBytes(temp));

    WriteTestBitmap(picture, 30, 40, SolidRed);
    ASSERT_TRUE(restarted.ApplyAtStartUp(CWallPaperData(std::string(), picture, kStyleFit)));
    EXPECT_EQ(decodes + 1, context->cache().decodeCount());
    EXPECT_NE(written, ReadBytes(temp));
    EXPECT_TRUE(messages.shown.empty());

    // A picture gone since is no current file: the start tries it and says why.
    context->cache().UnloadAll();
    DeleteFileW(W(picture).c_str());
    EXPECT_FALSE(restarted.ApplyAtStartUp(CWallPaperData(std::string(), picture, kStyleFit)));
    EXPECT_EQ(1u, messages.shown.size());
}

TEST_F(ApplierFixture, DesktopValuesFollowTheStyle) {
    struct { DisplayStyle style; const char* tile; const char* wallpaperStyle; } cases[] = {
        {kStyleCentre, "0", "0"}, {kStyleTile, "1", "0"}, {kStyleStretch, "0", "2"}, {7, "0", "0"}, {-1, "0", "0"}};
    for (auto& c : cases) {
        CWallPaperData entry("w", picture, c.style);
        applier->Apply(entry);
        EXPECT_EQ(c.tile, DesktopValue(L"TileWallPaper")) << c.style;
        EXPECT_EQ(c.wallpaperStyle, DesktopValue(L"WallpaperStyle")) << c.style;
    }
}

TEST_F(ApplierFixture, HalftoneStretchWritesAScreenSizedTemporaryBitmap) {
    context->settings().enableHalfTone = true;
    CWallPaperData stretch("w", picture, kStyleStretch);
    ASSERT_TRUE(applier->Apply(stretch));
    std::string temp = dir.File("TVTemp.bmp");
    EXPECT_EQ(temp, DesktopValue(L"Wallpaper"));
    HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(temp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), BitmapSize(written).cx);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), BitmapSize(written).cy);
    DeleteObject(written);

    // Centre and tile keep the picture's own size and pixels.
    CWallPaperData centre("w", picture, kStyleCentre);
    ASSERT_TRUE(applier->Apply(centre));
    written = (HBITMAP)LoadImageW(nullptr, W(temp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(40, BitmapSize(written).cx);
    EXPECT_EQ(30, BitmapSize(written).cy);
    for (int y = 0; y < 30; y += 7)
        for (int x = 0; x < 40; x += 9) EXPECT_EQ(Gradient(x, y), BitmapPixel(written, x, y)) << x << "," << y;
    DeleteObject(written);
    // The file is a well-formed BMP: its header's size is the file's size.
    std::string bytes = ReadBytes(temp);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ('B', bytes[0]);
    EXPECT_EQ('M', bytes[1]);
    EXPECT_EQ(bytes.size(), *reinterpret_cast<const uint32_t*>(bytes.data() + 2));
}

TEST_F(ApplierFixture, UnwritableProgramFolderUsesApplicationData) {
    context->settings().enableHalfTone = true;
    context->settings().programDirectory = dir.File("no such folder\\");
    std::string temp = applier->TemporaryWallpaperPath();
    EXPECT_NE(std::string::npos, temp.find("\\Tavrin\\TVTemp.bmp")) << temp;
    CWallPaperData entry("w", picture, kStyleCentre);
    ASSERT_TRUE(applier->Apply(entry));
    EXPECT_EQ(temp, DesktopValue(L"Wallpaper"));
    EXPECT_TRUE(PathExists(temp));
    DeleteFileW(W(temp).c_str());
}

TEST_F(ApplierFixture, MissingPictureChangesNothingAndSaysSo) {
    CWallPaperData good("w", picture, kStyleCentre);
    ASSERT_TRUE(applier->Apply(good));
    context->settings().enableHalfTone = true;
    CWallPaperData missing("m", dir.File("missing.bmp"), kStyleTile);
    EXPECT_FALSE(applier->Apply(missing));
    EXPECT_EQ(picture, DesktopValue(L"Wallpaper"));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find(dir.File("missing.bmp")));
    // The selection is the wallpaper shown, not the one that failed.
    EXPECT_EQ(picture, context->settings().selectedWallPaper);
    EXPECT_EQ(kStyleCentre, context->settings().viewStyle);

    // Nor when the wallpaper file cannot be written (a folder in its place).
    ASSERT_TRUE(CreateDirectoryW(ToWide(dir.File("TVTemp.bmp")).c_str(), nullptr));
    CWallPaperData unwritable("u", picture, kStyleStretch);
    EXPECT_FALSE(applier->Apply(unwritable));
    EXPECT_EQ(2u, messages.shown.size());
    EXPECT_EQ(kStyleCentre, context->settings().viewStyle);
    RemoveDirectoryW(ToWide(dir.File("TVTemp.bmp")).c_str());
}

TEST_F(ApplierFixture, LeftoverOfAnInterruptedWallpaperWriteGoesAtStartAndAtTheNextWrite) {
    const std::string leftover = dir.File("TVTemp.bmp.tmp");
    WriteBytes(leftover, std::string(1000, 'h'));
    WriteBytes(dir.File("TVTemp.bmp.other"), "not ours");
    WallPaperApplier started(*context);  // the next start
    EXPECT_FALSE(PathExists(leftover));
    EXPECT_TRUE(PathExists(dir.File("TVTemp.bmp.other")));

    WriteBytes(leftover, std::string(1000, 'h'));
    context->settings().enableHalfTone = true;
    CWallPaperData entry("w", picture, kStyleCentre);
    ASSERT_TRUE(started.Apply(entry));
    EXPECT_TRUE(PathExists(dir.File("TVTemp.bmp")));
    EXPECT_FALSE(PathExists(leftover));
    DeleteFileW(W(dir.File("TVTemp.bmp")).c_str());
}

TEST_F(ApplierFixture, APictureOverTheWholeBudgetIsWrittenThenReleasedAndNoMemorySaysSo) {
    context->settings().enableHalfTone = true;
    CWallBitmapList& cache = context->cache();
    cache.SetBudget(1);  // less than any picture
    CWallPaperData entry("w", picture, kStyleCentre);
    ASSERT_TRUE(applier->Apply(entry));
    const std::string temp = dir.File("TVTemp.bmp");
    EXPECT_EQ(temp, DesktopValue(L"Wallpaper"));
    HBITMAP written = (HBITMAP)LoadImageW(nullptr, W(temp).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(Gradient(13, 8), BitmapPixel(written, 13, 8));
    DeleteObject(written);
    EXPECT_EQ(0u, cache.count()) << "released once the apply let go of it";
    EXPECT_TRUE(messages.shown.empty());

    // No memory for the next picture, even after the cache released all it
    // could: the decoder's code 4 is shown, then that nothing changed.
    const std::string bytesBefore = ReadBytes(temp);
    cache.SetDecoder([](const std::string&, int* memoryCode) -> HBITMAP {
        *memoryCode = 4;
        return nullptr;
    });
    std::string other = dir.File("other.bmp");
    WriteTestBitmap(other, 20, 10, SolidRed);
    CWallPaperData next("o", other, kStyleTile);
    EXPECT_FALSE(applier->Apply(next));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("(4)"));
    EXPECT_NE(std::string::npos, messages.shown[1].text.find("壁紙を変更しませんでした"));
    EXPECT_NE(std::string::npos, messages.shown[1].text.find(other));
    EXPECT_EQ(temp, DesktopValue(L"Wallpaper"));
    EXPECT_EQ("0", DesktopValue(L"TileWallPaper"));
    EXPECT_EQ(bytesBefore, ReadBytes(temp));
}
