// After a plug-in faulted, the same process goes on: the picture cache, the
// preview window and the wallpaper applier work with the good plug-ins.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "desktop/WallPaperApplier.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "ui/PreviewWindow.h"
#include "context/AppContext.h"
#include "TestPluginExtension.h"

namespace {
std::string SolidPpm(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    std::string bytes = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int i = 0; i < w * h; ++i) bytes += std::string{char(r), char(g), char(b)};
    return bytes;
}

std::string DesktopWallpaperValue() { return DesktopValue(L"Wallpaper"); }

struct FaultingApp : ::testing::Test {
    TempDir dir, spi;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<WallPaperApplier> applier;
    PreviewWindow preview;
    std::string bad, good;

    void SetUp() override {
        InstallPlugin(spi.path(), "fault_magic");
        InstallPlugin(spi.path(), "pnm");
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        profile.WriteInt("Settings", "EnableSPI", 1);
        profile.WriteString("Settings", "SPIPath", spi.path());
        context = std::make_unique<AppContext>(profile);
        context->settings().programDirectory = dir.path();
        applier = std::make_unique<WallPaperApplier>(*context);
        bad = dir.File("bad.flt");
        WriteBytes(bad, "FAULT and nothing more");
        good = dir.File("good.ppm");
        WriteBytes(good, SolidPpm(32, 24, 0xFF, 0, 0));
        ASSERT_TRUE(preview.Create(context.get(), false));
        HidePreview(preview.hwnd());
        PumpMessages();
    }
    void TearDown() override { DestroyWindow(preview.hwnd()); }
    void Show(const std::string& path) {
        ASSERT_TRUE(PostPreviewRequest(preview.hwnd(), path, kStyleStretch));
        // Decoded once the request has rested.
        ASSERT_TRUE(PumpMessagesUntil([&] { return !preview.waiting(); }));
    }
    uint32_t PreviewCentre() {
        UpdateWindow(preview.hwnd());
        HDC dc = GetDC(preview.hwnd());
        const RECT& client = preview.clientRect();
        COLORREF c = GetPixel(dc, client.right / 2, client.bottom / 2);
        ReleaseDC(preview.hwnd(), dc);
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
};
}  // namespace

TEST_F(FaultingApp, APreviewThatFaultsStaysEmptyThenTheProcessPreviewsAndAppliesAGoodPicture) {
    ASSERT_EQ(2, context->cache().pluginHost().GetPluginCount());
    Show(bad);
    EXPECT_FALSE(IsWindowVisible(preview.hwnd())) << "no picture: the preview stays empty";
    EXPECT_EQ(nullptr, context->cache().Find(bad)) << "the failed picture is not cached";
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("プラグイン[fault_magic" SPI_EXT "]が異常終了したため"));

    Show(good);
    EXPECT_TRUE(IsWindowVisible(preview.hwnd()));
    EXPECT_EQ(0xFF0000u, PreviewCentre());

    CWallPaperData entry("good", good, kStyleCentre);
    ASSERT_TRUE(applier->Apply(entry));
    std::string written = DesktopWallpaperValue();
    EXPECT_NE(std::string::npos, written.find("TVTemp.bmp")) << written;
    HBITMAP shown = static_cast<HBITMAP>(LoadImageW(nullptr, ToWide(written).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(nullptr, shown);
    BitmapPixels pixels;
    ASSERT_TRUE(ReadBitmap(shown, &pixels));
    DeleteObject(shown);
    EXPECT_EQ(32, pixels.width);
    EXPECT_TRUE((pixels.At(5, 5) == Rgb{0xFF, 0, 0}));
    EXPECT_EQ(1u, messages.shown.size());
}

TEST_F(FaultingApp, ApplyingThePictureThatFaultsLeavesTheWallpaperAsItWas) {
    CWallPaperData goodEntry("good", good, kStyleCentre);
    ASSERT_TRUE(applier->Apply(goodEntry));
    const std::string before = DesktopWallpaperValue();
    const std::string bytesBefore = ReadBytes(before);

    CWallPaperData badEntry("bad", bad, kStyleTile);
    EXPECT_FALSE(applier->Apply(badEntry));
    EXPECT_EQ(before, DesktopWallpaperValue());
    EXPECT_EQ(bytesBefore, ReadBytes(before));
    // The fault's box stands for the whole failure: one box, no decode or applier box besides.
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("[fault_magic" SPI_EXT "]"));

    EXPECT_TRUE(applier->Apply(goodEntry));
    EXPECT_EQ(1u, messages.shown.size());
}

// At exit the list and the settings are saved before the plug-ins are
// unloaded: a plug-in's unloading code that crashes or hangs cannot take
// the user's edits with it.
TEST_F(FaultingApp, TheListIsOnDiskBeforeAnyPluginIsUnloaded) {
    const std::string list = dir.File("List.tvl");
    SetEnvironmentVariableW(L"TAVRIN_SPI_DETACH_COPY", ToWide(list).c_str());
    context->cache().pluginHost();  // the plug-ins are loaded once needed
    context->list().Append(std::make_unique<CWallPaperData>("new", good, kStyleCentre));
    DestroyWindow(preview.hwnd());
    applier.reset();
    context.reset();
    SetEnvironmentVariableW(L"TAVRIN_SPI_DETACH_COPY", nullptr);
    WallPaperList atDetach;
    atDetach.SetPath(list + ".at-detach");
    ASSERT_TRUE(atDetach.Load()) << "the good plug-in was freed and saw a list file";
    atDetach.SetPath("");
    ASSERT_EQ(1u, atDetach.size());
    EXPECT_EQ("new", atDetach.entries()[0]->m_strName);
}
