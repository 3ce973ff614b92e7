#include <gtest/gtest.h>

#include "TestPictures.h"
#include "TestSupport.h"
#include "framework/UserMessages.h"
#include "image/PreviewLayout.h"
#include "ui/PreviewWindow.h"
#include "context/AppContext.h"

namespace {
struct PreviewFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppContext> context;
    PreviewWindow preview;
    std::string red, gradient, tiny;

    void SetUp() override {
        profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
        context = std::make_unique<AppContext>(profile);
        red = dir.File("red.bmp");
        gradient = dir.File("gradient.bmp");
        tiny = dir.File("tiny.bmp");
        WriteTestBitmap(red, 512, 384, SolidRed);
        WriteTestBitmap(gradient, 64, 48, Gradient);
        WriteTestBitmap(tiny, 3, 2, SolidRed);
        ASSERT_TRUE(preview.Create(context.get(), false));
        HidePreview(preview.hwnd());
        PumpMessages();
    }
    void TearDown() override { DestroyWindow(preview.hwnd()); }
    void Show(const std::string& path, DisplayStyle style) {
        ASSERT_TRUE(PostPreviewRequest(preview.hwnd(), path, style));
        // A picture not yet cached is decoded once the request has rested.
        ASSERT_TRUE(PumpMessagesUntil([&] { return !preview.waiting(); }));
    }
    int Count(const std::string& path) {
        const CPictureData* p = context->cache().Find(path);
        return p ? p->m_nRefCount : 0;
    }
    uint32_t ClientPixel(int x, int y) {
        UpdateWindow(preview.hwnd());
        HDC dc = GetDC(preview.hwnd());
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(preview.hwnd(), dc);
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    static PreviewRect Work() {
        RECT r;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        return PreviewRect{r.left, r.top, r.right, r.bottom};
    }
};
}  // namespace

TEST_F(PreviewFixture, StartsHiddenAsAQuarterOfTheScreenInTheCorner) {
    EXPECT_FALSE(IsWindowVisible(preview.hwnd()));
    RECT r;
    GetWindowRect(preview.hwnd(), &r);
    PreviewRect want = InitialPreviewPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), Work());
    EXPECT_EQ(want.left, r.left);
    EXPECT_EQ(want.top, r.top);
    EXPECT_EQ(want.right, r.right);
    EXPECT_EQ(want.bottom, r.bottom);
    LONG_PTR ex = GetWindowLongPtrW(preview.hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
}

TEST_F(PreviewFixture, ShowsTheCachedPictureAndMovesToTheCornerWithItsClientSize) {
    Show(red, kStyleStretch);
    EXPECT_TRUE(IsWindowVisible(preview.hwnd()));
    EXPECT_EQ(red, preview.path());
    EXPECT_EQ(kStyleStretch, preview.style());
    RECT r;
    GetWindowRect(preview.hwnd(), &r);
    const RECT& client = preview.clientRect();
    PreviewRect want = CornerPlacement(Work(), client.right, client.bottom);
    EXPECT_EQ(want.left, r.left);
    EXPECT_EQ(want.top, r.top);
    EXPECT_EQ(client.right, r.right - r.left);
    EXPECT_EQ(0xFF0000u, ClientPixel(client.right / 2, client.bottom / 2));

    HidePreview(preview.hwnd());
    PumpMessages();
    EXPECT_FALSE(IsWindowVisible(preview.hwnd()));
    EXPECT_EQ("", PreviewWindow::lastPath());
}

TEST_F(PreviewFixture, OneReferencePerNewPath) {
    Show(red, kStyleCentre);
    Show(red, kStyleCentre);
    EXPECT_EQ(1, Count(red));
    Show(gradient, kStyleCentre);
    Show(red, kStyleCentre);
    EXPECT_EQ(2, Count(red));
    EXPECT_EQ(1, Count(gradient));
    // After a hide the same picture counts as new.
    HidePreview(preview.hwnd());
    PumpMessages();
    Show(red, kStyleCentre);
    EXPECT_EQ(3, Count(red));
}

TEST_F(PreviewFixture, UndecodablePictureHidesTheWindow) {
    Show(red, kStyleCentre);
    ASSERT_TRUE(IsWindowVisible(preview.hwnd()));
    Show(dir.File("missing.bmp"), kStyleCentre);
    EXPECT_FALSE(IsWindowVisible(preview.hwnd()));
}

TEST_F(PreviewFixture, CentreDrawsTheReducedPictureOnTheDesktopColour) {
    Show(red, kStyleCentre);
    const RECT& client = preview.clientRect();
    EXPECT_EQ(0xFF0000u, ClientPixel(client.right / 2, client.bottom / 2));
    COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    uint32_t want = (GetRValue(desktop) << 16) | (GetGValue(desktop) << 8) | GetBValue(desktop);
    EXPECT_EQ(want, ClientPixel(1, 1));
}

TEST_F(PreviewFixture, TileUnderOnePixelStillPaintsAndEnds) {
    Show(tiny, kStyleTile);
    ASSERT_TRUE(IsWindowVisible(preview.hwnd()));
    EXPECT_EQ(0xFF0000u, ClientPixel(5, 5));
}

TEST_F(PreviewFixture, ASweepDecodesOnlyWhereItComesToRest) {
    std::vector<std::string> swept;
    for (int i = 0; i < 8; ++i) {
        swept.push_back(dir.File("sweep" + std::to_string(i) + ".bmp"));
        WriteTestBitmap(swept.back(), 64 + i, 48, i % 2 ? Gradient : SolidRed);
    }
    Show(red, kStyleCentre);
    const uint64_t decodes = context->cache().decodeCount();
    // Each request comes before the previous one has rested: none of them
    // is decoded but the last, and the shown picture stays meanwhile.
    for (const std::string& path : swept) {
        ASSERT_TRUE(PostPreviewRequest(preview.hwnd(), path, kStyleStretch));
        PumpMessages();
        EXPECT_TRUE(preview.waiting());
        EXPECT_EQ(0xFF0000u, ClientPixel(preview.clientRect().right / 2, preview.clientRect().bottom / 2))
            << "the last shown picture stays";
    }
    ASSERT_TRUE(PumpMessagesUntil([&] { return !preview.waiting(); }));
    EXPECT_EQ(decodes + 1, context->cache().decodeCount());
    for (size_t i = 0; i + 1 < swept.size(); ++i) EXPECT_EQ(0, Count(swept[i])) << i;
    EXPECT_EQ(1, Count(swept.back()));
    EXPECT_NE(0xFF0000u, ClientPixel(1, 1)) << "the last picture of the sweep shows";

    // A cached picture shows at once, with nothing to wait for.
    ASSERT_TRUE(PostPreviewRequest(preview.hwnd(), red, kStyleStretch));
    PumpMessages();
    EXPECT_FALSE(preview.waiting());
    EXPECT_EQ(0xFF0000u, ClientPixel(5, 5));
    EXPECT_EQ(decodes + 1, context->cache().decodeCount());
}

TEST_F(PreviewFixture, OnATargetMonitorItTakesThatMonitorsAspectAndCornerAndFitKeepsThePicturesAspect) {
    // A tall monitor inside the test screen.
    const RECT tall = {100, 0, 500, 600};
    preview.SetMonitor(tall, tall);
    RECT r;
    GetWindowRect(preview.hwnd(), &r);
    EXPECT_EQ(110, r.left);
    EXPECT_EQ(100, r.right - r.left);
    EXPECT_EQ(150, r.bottom - r.top);

    Show(red, kStyleFit);  // 4:3: fitted into the tall window, the desktop colour above and below
    ASSERT_TRUE(IsWindowVisible(preview.hwnd()));
    GetWindowRect(preview.hwnd(), &r);
    EXPECT_EQ(110, r.left);
    EXPECT_EQ(600 - 10, r.bottom);  // the monitor's lower-left corner
    const RECT& client = preview.clientRect();
    const int w = client.right, h = client.bottom;
    COLORREF c = GetSysColor(COLOR_BACKGROUND);
    const uint32_t desktop = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    EXPECT_EQ(desktop, ClientPixel(w / 2, 1));
    EXPECT_EQ(desktop, ClientPixel(w / 2, h - 12));  // (the edges take the last few rows)
    EXPECT_EQ(0xFF0000u, ClientPixel(w / 2, h / 2));

    Show(tiny, kStyleFill);  // a wide picture filled: the window covered, edge to edge
    EXPECT_EQ(0xFF0000u, ClientPixel(0, 0));
    EXPECT_EQ(0xFF0000u, ClientPixel(w - 12, h - 12));
}
