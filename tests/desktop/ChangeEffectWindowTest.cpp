#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TestSupport.h"
#include "desktop/ChangeEffectWindow.h"
#include "framework/Handles.h"

namespace {
const wchar_t kTitle[] = L"Tavrin WallChangeEffectingWnd";

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

// A device-dependent picture like the cache's, coloured pixel by pixel.
UniqueBitmap MakePicture(int width, int height, const std::function<COLORREF(int, int)>& colour) {
    WindowDC screen(nullptr);
    UniqueBitmap picture(CreateCompatibleBitmap(screen.get(), width, height));
    if (!picture) return picture;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            pixels[static_cast<size_t>(y) * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (SetDIBits(screen.get(), picture.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS) != height)
        picture.reset();
    return picture;
}

// Each pixel's colour tells where in the picture it was.
COLORREF Coded(int x, int y) { return RGB(x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8)); }

COLORREF PixelOf(const CDIBitmap& image, int x, int y) {
    const BYTE* p = image.m_pTopRow + y * image.m_nRowStep + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

bool ColourNear(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

void Tick(HWND hwnd, UINT_PTR timer) { SendMessageW(hwnd, WM_TIMER, timer, 0); }

bool ClosePending(HWND hwnd) {
    MSG msg;
    return PeekMessageW(&msg, hwnd, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
}

// Sets the work area for one test and puts the old one back.
class ScopedWorkArea {
public:
    explicit ScopedWorkArea(const RECT& area) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_saved, 0);
        m_changed = SystemParametersInfoW(SPI_SETWORKAREA, 0, const_cast<RECT*>(&area), 0) != FALSE;
    }
    ~ScopedWorkArea() {
        if (m_changed) SystemParametersInfoW(SPI_SETWORKAREA, 0, &m_saved, 0);
    }
    bool changed() const { return m_changed; }
private:
    RECT m_saved = {};
    bool m_changed = false;
};

// A plain coloured window, to have something known on the screen.
class ColouredWindow {
public:
    ColouredWindow(COLORREF colour, const RECT& place) : m_brush(CreateSolidBrush(colour)) {
        static ATOM atom = [] {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TavrinEffectTestBackdrop";
            return RegisterClassExW(&wc);
        }();
        (void)atom;
        m_hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"TavrinEffectTestBackdrop", L"",
                                 WS_POPUP | WS_VISIBLE, place.left, place.top, place.right - place.left,
                                 place.bottom - place.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (m_hwnd) {
            SetClassLongPtrW(m_hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(m_brush.get()));
            InvalidateRect(m_hwnd, nullptr, TRUE);
            UpdateWindow(m_hwnd);
            PumpMessages();
        }
    }
    ~ColouredWindow() {
        if (m_hwnd) DestroyWindow(m_hwnd);
    }
    HWND hwnd() const { return m_hwnd; }
private:
    UniqueBrush m_brush;
    HWND m_hwnd = nullptr;
};

struct EffectFixture : ::testing::Test {
    int made = 0;
    int deleted = 0;
    std::vector<int> opacities;

    ChangeEffectWindow::Hooks MakeHooks(std::optional<bool> layers) {
        ChangeEffectWindow::Hooks hooks;
        hooks.systemSupportsLayers = layers;
        hooks.opacitySet = [this](BYTE alpha) { opacities.push_back(alpha); };
        hooks.deleted = [this] { ++deleted; };
        return hooks;
    }

    // Opens an effect; null when Create failed (the object is then gone).
    ChangeEffectWindow* Start(HBITMAP picture, DisplayStyle style, bool halftone, std::optional<bool> layers = false) {
        ++made;
        auto* effect = new ChangeEffectWindow(picture, style, halftone, MakeHooks(layers));
        return effect->Create() ? effect : nullptr;
    }

    void TearDown() override {
        while (HWND left = FindWindowW(ChangeEffectWindow::kClassName, kTitle)) {
            ADD_FAILURE() << "an effect window was left open";
            DestroyWindow(left);
        }
        PumpMessages();
        EXPECT_EQ(made, deleted) << "every effect object deletes itself exactly once";
    }
};
}  // namespace

TEST_F(EffectFixture, CoversTheWorkAreaWhenItIsSmallerThanTheScreen) {
    const RECT area = {0, 0, ScreenWidth() - 24, ScreenHeight() - 40};
    ScopedWorkArea workArea(area);
    ASSERT_TRUE(workArea.changed());
    UniqueBitmap picture = MakePicture(16, 16, Coded);
    ChangeEffectWindow* effect = Start(picture.get(), kStyleCentre, false);
    ASSERT_NE(nullptr, effect);
    HWND hwnd = effect->hwnd();

    EXPECT_EQ(hwnd, FindWindowW(ChangeEffectWindow::kClassName, kTitle));
    RECT placed;
    GetWindowRect(hwnd, &placed);
    EXPECT_EQ(0, placed.left);
    EXPECT_EQ(0, placed.top);
    EXPECT_EQ(area.right, placed.right);
    EXPECT_EQ(area.bottom, placed.bottom);
    for (const CDIBitmap* image : {&effect->shownImage(), &effect->targetImage()}) {
        EXPECT_EQ(area.right, image->m_nWidth);
        EXPECT_EQ(area.bottom, image->m_nHeight);
    }
    EXPECT_EQ(WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
              GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED));
    EXPECT_EQ(static_cast<LONG_PTR>(WS_POPUP | WS_VISIBLE), GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_POPUP | WS_VISIBLE | WS_CAPTION));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
}

TEST_F(EffectFixture, WithoutAPictureNoWindowIsMade) {
    EXPECT_EQ(nullptr, Start(nullptr, kStyleCentre, false));
    EXPECT_EQ(nullptr, FindWindowW(ChangeEffectWindow::kClassName, kTitle));
    EXPECT_EQ(1, deleted) << "a failed Create has already deleted the object";

    // A handle that is no bitmap is no picture either.
    UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    EXPECT_EQ(nullptr, Start(reinterpret_cast<HBITMAP>(brush.get()), kStyleTile, false));
    EXPECT_EQ(nullptr, FindWindowW(ChangeEffectWindow::kClassName, kTitle));
    EXPECT_EQ(2, deleted);
}

TEST_F(EffectFixture, ShownImageIsTheScreenBeforeTheChange) {
    const COLORREF green = RGB(10, 200, 30);
    ColouredWindow backdrop(green, RECT{100, 100, 180, 160});
    ASSERT_NE(nullptr, backdrop.hwnd());
    UniqueBitmap picture = MakePicture(8, 8, [](int, int) { return RGB(0, 0, 0); });
    ChangeEffectWindow* effect = Start(picture.get(), 99, false);
    ASSERT_NE(nullptr, effect);
    EXPECT_EQ(green, PixelOf(effect->shownImage(), 100, 100));
    EXPECT_EQ(green, PixelOf(effect->shownImage(), 179, 159));
    EXPECT_NE(green, PixelOf(effect->shownImage(), 99, 100));
    DestroyWindow(effect->hwnd());
}

TEST_F(EffectFixture, TargetLooks) {
    const int sw = ScreenWidth(), sh = ScreenHeight();
    const RECT area = {0, 0, sw, sh - 68};
    ScopedWorkArea workArea(area);
    ASSERT_TRUE(workArea.changed());
    const int w = area.right, h = area.bottom;

    {
        SCOPED_TRACE("centre, small picture on the background colour");
        UniqueBitmap picture = MakePicture(65, 47, Coded);
        ChangeEffectWindow* effect = Start(picture.get(), kStyleCentre, false);
        ASSERT_NE(nullptr, effect);
        const int ox = sw / 2 - 65 / 2, oy = sh / 2 - 47 / 2;
        const COLORREF background = GetSysColor(COLOR_BACKGROUND);
        const CDIBitmap& target = effect->targetImage();
        for (int y = 0; y < 47; y += 3)
            for (int x = 0; x < 65; x += 4) ASSERT_EQ(Coded(x, y), PixelOf(target, ox + x, oy + y)) << x << "," << y;
        EXPECT_EQ(Coded(64, 46), PixelOf(target, ox + 64, oy + 46));
        EXPECT_EQ(background, PixelOf(target, ox - 1, oy));
        EXPECT_EQ(background, PixelOf(target, ox + 65, oy + 46));
        EXPECT_EQ(background, PixelOf(target, 0, 0));
        EXPECT_EQ(background, PixelOf(target, w - 1, h - 1));
        DestroyWindow(effect->hwnd());
    }
    {
        SCOPED_TRACE("centre, picture larger than the screen shows its middle");
        const int pw = sw + 201, ph = sh + 99;
        UniqueBitmap picture = MakePicture(pw, ph, Coded);
        ChangeEffectWindow* effect = Start(picture.get(), kStyleCentre, false);
        ASSERT_NE(nullptr, effect);
        const int ox = sw / 2 - pw / 2, oy = sh / 2 - ph / 2;
        ASSERT_LT(ox, 0);
        ASSERT_LT(oy, 0);
        const CDIBitmap& target = effect->targetImage();
        for (int y = 0; y < h; y += 37)
            for (int x = 0; x < w; x += 53)
                ASSERT_EQ(Coded(x - ox, y - oy), PixelOf(target, x, y)) << x << "," << y;
        EXPECT_EQ(Coded(w - 1 - ox, h - 1 - oy), PixelOf(target, w - 1, h - 1));
        DestroyWindow(effect->hwnd());
    }
    for (const SIZE tile : {SIZE{100, 70}, SIZE{3, 2}, SIZE{sw + 5, 9}}) {
        SCOPED_TRACE(testing::Message() << "tile " << tile.cx << "x" << tile.cy);
        UniqueBitmap picture = MakePicture(tile.cx, tile.cy, Coded);
        ChangeEffectWindow* effect = Start(picture.get(), kStyleTile, false);
        ASSERT_NE(nullptr, effect);
        const CDIBitmap& target = effect->targetImage();
        for (int y = 0; y < h; y += 13)
            for (int x = 0; x < w; x += 17)
                ASSERT_EQ(Coded(x % tile.cx, y % tile.cy), PixelOf(target, x, y)) << x << "," << y;
        EXPECT_EQ(Coded((w - 1) % tile.cx, (h - 1) % tile.cy), PixelOf(target, w - 1, h - 1));
        DestroyWindow(effect->hwnd());
    }
    std::vector<BYTE> halftoned;
    for (bool halftone : {true, false}) {
        SCOPED_TRACE(halftone ? "stretch with halftone" : "stretch");
        // Four quadrants; the picture is stretched to the screen, not to the
        // (lower) work area, so the middle line sits at sh / 2.
        const COLORREF quad[2][2] = {{RGB(200, 0, 0), RGB(0, 200, 0)}, {RGB(0, 0, 200), RGB(200, 200, 0)}};
        UniqueBitmap picture = MakePicture(2, 2, [&](int x, int y) { return quad[y][x]; });
        ChangeEffectWindow* effect = Start(picture.get(), kStyleStretch, halftone);
        ASSERT_NE(nullptr, effect);
        const CDIBitmap& target = effect->targetImage();
        const int tolerance = 8;
        // The corners come from the picture's corners either way.
        EXPECT_TRUE(ColourNear(quad[0][0], PixelOf(target, 2, 2), tolerance));
        EXPECT_TRUE(ColourNear(quad[0][1], PixelOf(target, w - 3, 2), tolerance));
        EXPECT_TRUE(ColourNear(quad[1][1], PixelOf(target, w - 3, h - 1), tolerance));
        if (!halftone) {
            // Plain scaling puts each picture pixel on its quarter of the
            // screen.  (Halftone scaling blends them, differently from one
            // system to the next.)
            EXPECT_EQ(quad[0][0], PixelOf(target, sw / 4, sh / 4));
            EXPECT_EQ(quad[0][1], PixelOf(target, 3 * sw / 4, sh / 4));
            EXPECT_EQ(quad[0][0], PixelOf(target, 5, sh / 2 - 20));
            EXPECT_EQ(quad[1][0], PixelOf(target, 5, sh / 2 + 20));
            EXPECT_EQ(quad[1][1], PixelOf(target, w - 5, h - 1));
        }
        const std::vector<BYTE> bytes(target.m_pBits, target.m_pBits + CDIBitmap::SectionSize(w, h));
        if (halftone) {
            halftoned = bytes;
        } else {
            EXPECT_NE(halftoned, bytes) << "the halftone flag changes how the picture is scaled";
        }
        DestroyWindow(effect->hwnd());
    }
    {
        SCOPED_TRACE("fit and fill: the look the program writes, at the screen's size");
        // A tall picture, red above and blue below.
        UniqueBitmap picture = MakePicture(30, 60, [](int, int y) { return y < 30 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
        ChangeEffectWindow* effect = Start(picture.get(), kStyleFit, false);
        ASSERT_NE(nullptr, effect);
        const CDIBitmap& target = effect->targetImage();
        EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), PixelOf(target, 0, h / 2));
        EXPECT_EQ(RGB(255, 0, 0), PixelOf(target, sw / 2, sh / 8));
        EXPECT_EQ(RGB(0, 0, 255), PixelOf(target, sw / 2, sh / 2 + sh / 8));
        DestroyWindow(effect->hwnd());
        effect = Start(picture.get(), kStyleFill, false);
        ASSERT_NE(nullptr, effect);
        EXPECT_EQ(RGB(255, 0, 0), PixelOf(effect->targetImage(), 0, 0));  // covered edge to edge
        EXPECT_EQ(RGB(0, 0, 255), PixelOf(effect->targetImage(), w - 1, h - 1));
        DestroyWindow(effect->hwnd());
    }
    {
        SCOPED_TRACE("any other style leaves the new look black");
        UniqueBitmap picture = MakePicture(16, 16, [](int, int) { return RGB(255, 255, 255); });
        ChangeEffectWindow* effect = Start(picture.get(), kLastStyle + 1, false);
        ASSERT_NE(nullptr, effect);
        const CDIBitmap& target = effect->targetImage();
        const uint32_t size = CDIBitmap::SectionSize(w, h);
        EXPECT_EQ(std::vector<BYTE>(size, 0), std::vector<BYTE>(target.m_pBits, target.m_pBits + size));
        DestroyWindow(effect->hwnd());
    }
}

TEST_F(EffectFixture, DotStepsTurnTheShownImageIntoTheTargetAndArePainted) {
    const COLORREF green = RGB(10, 200, 30);
    ColouredWindow backdrop(green, RECT{100, 100, 180, 160});
    UniqueBitmap picture = MakePicture(8, 8, [](int, int) { return RGB(255, 255, 255); });
    ChangeEffectWindow* effect = Start(picture.get(), 99, false);  // a black new look
    ASSERT_NE(nullptr, effect);
    HWND hwnd = effect->hwnd();
    const CDIBitmap& shown = effect->shownImage();
    const CDIBitmap& target = effect->targetImage();
    UpdateWindow(hwnd);
    WindowDC client(hwnd);
    EXPECT_EQ(green, GetPixel(client.get(), 100, 100)) << "the still of the screen is painted";

    Tick(hwnd, ChangeEffectWindow::kDotTimer);
    EXPECT_EQ(1u, effect->step());
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(shown, 100, 100)) << "cell (0,0) of its block";
    EXPECT_EQ(green, PixelOf(shown, 101, 100));
    EXPECT_EQ(green, PixelOf(shown, 100, 101));

    for (unsigned s = 1; s < 25; ++s) Tick(hwnd, ChangeEffectWindow::kDotTimer);
    const uint32_t size = CDIBitmap::SectionSize(shown.m_nWidth, shown.m_nHeight);
    EXPECT_TRUE(std::equal(shown.m_pBits, shown.m_pBits + size, target.m_pBits)) << "after step 24";
    UpdateWindow(hwnd);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(client.get(), 100, 100));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(client.get(), 142, 133));
    DestroyWindow(hwnd);
}

TEST_F(EffectFixture, WithoutLayersItClosesRightAfterStep28) {
    UniqueBitmap picture = MakePicture(32, 32, Coded);
    ChangeEffectWindow* effect = Start(picture.get(), kStyleTile, false, /*layers=*/false);
    ASSERT_NE(nullptr, effect);
    HWND hwnd = effect->hwnd();
    for (unsigned s = 0; s < 28; ++s) {
        Tick(hwnd, ChangeEffectWindow::kDotTimer);
        ASSERT_FALSE(ClosePending(hwnd)) << "after step " << s;
    }
    // Fade ticks before the fade are ignored.
    Tick(hwnd, ChangeEffectWindow::kFadeTimer);
    EXPECT_TRUE(opacities.empty());

    Tick(hwnd, ChangeEffectWindow::kDotTimer);  // step 28
    EXPECT_EQ(29u, effect->step());
    EXPECT_TRUE(ClosePending(hwnd));
    EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    Tick(hwnd, ChangeEffectWindow::kDotTimer);  // a late tick does nothing
    Tick(hwnd, ChangeEffectWindow::kFadeTimer);
    EXPECT_EQ(29u, effect->step());

    PumpMessages();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(1, deleted);
    EXPECT_TRUE(opacities.empty()) << "no fade";
}

TEST_F(EffectFixture, WithLayersItFadesFrom255DownTo5ThenCloses) {
    UniqueBitmap picture = MakePicture(32, 32, Coded);
    ChangeEffectWindow* effect = Start(picture.get(), kStyleCentre, false, /*layers=*/true);
    ASSERT_NE(nullptr, effect);
    HWND hwnd = effect->hwnd();
    for (unsigned s = 0; s < dot_transition::kStepCount; ++s) Tick(hwnd, ChangeEffectWindow::kDotTimer);
    EXPECT_FALSE(ClosePending(hwnd));
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "other styles are kept";
    EXPECT_TRUE(opacities.empty());

    std::vector<int> expected;
    for (int alpha = 255; alpha > 0; alpha -= 10) expected.push_back(alpha);
    int ticks = 0;
    while (!ClosePending(hwnd) && ticks < 100) {
        const size_t before = opacities.size();
        Tick(hwnd, ChangeEffectWindow::kFadeTimer);
        ++ticks;
        if (opacities.size() > before) {
            BYTE alpha = 0;
            DWORD flags = 0;
            ASSERT_TRUE(GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
            EXPECT_EQ(opacities.back(), alpha) << "the window has the opacity reported";
            EXPECT_TRUE(flags & LWA_ALPHA);
        }
    }
    EXPECT_EQ(expected, opacities);
    EXPECT_EQ(static_cast<int>(expected.size()) + 1, ticks) << "one more tick ends the fade";
    Tick(hwnd, ChangeEffectWindow::kFadeTimer);
    EXPECT_EQ(expected.size(), opacities.size()) << "nothing after the end";

    PumpMessages();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(1, deleted);
}

TEST_F(EffectFixture, RunsOnItsOwnTimersAndGoesAway) {
    UniqueBitmap picture = MakePicture(40, 30, Coded);
    ChangeEffectWindow* effect = Start(picture.get(), kStyleStretch, true, std::nullopt);
    ASSERT_NE(nullptr, effect);
    HWND hwnd = effect->hwnd();
    // Bounded only so that a fault cannot hang the run; nothing is timed.
    const DWORD giveUp = GetTickCount() + 30000;
    while (IsWindow(hwnd) && static_cast<LONG>(giveUp - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(1, deleted);
    if (LayeredWindowLoader().Available()) {
        EXPECT_EQ(26u, opacities.size());
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(picture.get())) << "the cache's picture is kept";
}

TEST_F(EffectFixture, DestroyedEarlyItFreesItsImagesAndKeepsThePicture) {
    UniqueBitmap picture = MakePicture(20, 20, Coded);
    ChangeEffectWindow* effect = Start(picture.get(), kStyleTile, false);
    ASSERT_NE(nullptr, effect);
    HWND hwnd = effect->hwnd();
    const HBITMAP shown = effect->shownImage().handle();
    const HBITMAP target = effect->targetImage().handle();
    ASSERT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(shown));
    for (int i = 0; i < 3; ++i) Tick(hwnd, ChangeEffectWindow::kDotTimer);
    DestroyWindow(hwnd);
    EXPECT_EQ(1, deleted);
    EXPECT_EQ(0u, GetObjectType(shown));
    EXPECT_EQ(0u, GetObjectType(target));

    // The picture was put back out of the effect's context: it can be selected again.
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(picture.get()));
    WindowDC screen(nullptr);
    UniqueMemoryDC memory(CreateCompatibleDC(screen.get()));
    ScopedSelect selected(memory.get(), picture.get());
    EXPECT_TRUE(selected.ok());
}
