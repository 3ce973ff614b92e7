#include <gtest/gtest.h>

#include <cmath>

#include "TestPictures.h"
#include "TestSupport.h"
#include "framework/UserMessages.h"
#include "image/PreviewLayout.h"
#include "image/PreviewStore.h"
#include "list/ListFileCodec.h"
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

namespace {
// A photo-like picture: smooth colours, soft shapes a few dozen pixels
// across in the preview, and one hard edge.  Each place has its own colour,
// so a picture drawn at the wrong place or scale does not pass.
uint32_t Photo(int x, int y) {
    const int r = x * 255 / 1600 % 256;
    const int g = y * 255 / 1200 % 256;
    int b = 128 + int(100 * std::sin(x / 61.0) * std::cos(y / 47.0));
    if ((x - 500) * (x - 500) + (y - 400) * (y - 400) < 150 * 150) b = 255 - b / 4;
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// The client area's pixels as the screen shows them, 0xRRGGBB, rows top-down.
std::vector<uint32_t> ClientPixels(HWND window, int width, int height) {
    UpdateWindow(window);
    std::vector<uint32_t> pixels(size_t(width) * height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP copy = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, copy, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

struct Difference { double mean = 0; double within16 = 0; };
Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    Difference d;
    uint64_t sum = 0, close = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int worst = 0;
        for (int shift : {0, 8, 16}) {
            const int diff = std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF));
            sum += diff;
            worst = std::max(worst, diff);
        }
        if (worst <= 16) ++close;
    }
    d.mean = a.empty() ? 0 : double(sum) / (3.0 * a.size());
    d.within16 = a.empty() ? 0 : double(close) / a.size();
    return d;
}

// The photo and a small picture to tile, listed centred so the store keeps
// them at the scale every style draws them at.
struct StoredPreviewFixture : PreviewFixture {
    std::string photo, pattern;
    void SetUp() override {
        photo = dir.File("photo.bmp");
        pattern = dir.File("pattern.bmp");
        WriteTestBitmap(photo, 1600, 1200, Photo);
        WriteTestBitmap(pattern, 300, 200, Photo);
        WallPaperEntries entries;
        entries.push_back(std::make_unique<CWallPaperData>("photo", photo, kStyleCentre));
        entries.push_back(std::make_unique<CWallPaperData>("pattern", pattern, kStyleTile));
        WriteBytes(dir.File("List.tvl"), EncodeListFile(entries));
        PreviewFixture::SetUp();
    }
};
}  // namespace

// What the preview draws from a stored preview is what it draws from the
// decoded picture, in every style and on monitors of either shape, up to
// what a second scaling and JPEG leave behind.  With halftone scaling: the
// store reduces with it always, so without it the live drawing's dropped
// rows are not there.
TEST_F(StoredPreviewFixture, TheStoredPreviewLooksLikeTheLiveDrawingInEveryStyle) {
    struct { const std::string* path; DisplayStyle style; } cases[] = {
        {&photo, kStyleStretch}, {&photo, kStyleFit}, {&photo, kStyleFill}, {&photo, kStyleCentre}, {&pattern, kStyleTile}};
    const RECT tall = {100, 0, 500, 600};  // fit and fill at a monitor's aspect unlike the picture's
    preview.SetHalftone(true);
    for (bool onTall : {false, true}) {
        if (onTall) preview.SetMonitor(tall, tall);
        for (auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "style " << c.style << (onTall ? " on the tall monitor" : ""));
            context->cache().UnloadAll();
            context->cache().previewStore().Forget(*c.path);
            HidePreview(preview.hwnd());
            Show(*c.path, c.style);  // decoded, drawn from the picture, its preview stored
            ASSERT_TRUE(IsWindowVisible(preview.hwnd()));
            const int w = preview.clientRect().right, h = preview.clientRect().bottom;
            const std::vector<uint32_t> live = ClientPixels(preview.hwnd(), w, h);

            context->cache().UnloadAll();
            HidePreview(preview.hwnd());
            PumpMessages();
            const uint64_t decodes = context->cache().decodeCount(), shown = context->cache().storedPreviewsShown();
            Show(*c.path, c.style);
            ASSERT_EQ(decodes, context->cache().decodeCount()) << "drawn from the store";
            ASSERT_EQ(shown + 1, context->cache().storedPreviewsShown());
            const std::vector<uint32_t> fromStore = ClientPixels(preview.hwnd(), w, h);
            const Difference d = Compare(live, fromStore);
            EXPECT_LE(d.mean, 3.0);
            EXPECT_GE(d.within16, 0.98);
        }
    }
}
