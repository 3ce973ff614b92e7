#include <gtest/gtest.h>

#include <vector>

#include "image/MonitorLayout.h"

using namespace monitor_layout;

namespace {
// A 24-bit picture in a plain vector, rows padded to 4 bytes as in a DIB.
struct Buffer {
    std::vector<uint8_t> bytes;
    PixelView view;
    Buffer(int w, int h) {
        int step = (w * 3 + 3) & ~3;
        bytes.assign(static_cast<size_t>(step) * h, 0);
        view = PixelView{bytes.data(), step, w, h};
    }
    uint32_t Pixel(int x, int y) const {
        const uint8_t* p = view.at(x, y);
        return p[2] << 16 | p[1] << 8 | p[0];
    }
};

// Each monitor's look painted in one colour, with a marker in its top-left pixel.
Buffer PaintedLook(int w, int h, uint8_t red) {
    Buffer b(w, h);
    FillPixels(b.view, 0, 0, red);
    b.view.at(0, 0)[1] = 0xFF;
    return b;
}
}  // namespace

TEST(MonitorLayout, FitKeepsTheWholePictureAndFillCoversTheMonitor) {
    // A 4:3 photo on a wide monitor: bars left and right; filled, the top and
    // bottom are cropped.
    EXPECT_EQ((Rect{240, 0, 1680, 1080}), FitRect(4000, 3000, 1920, 1080));
    EXPECT_EQ((Rect{0, 375, 4000, 2625}), FillSource(4000, 3000, 1920, 1080));
    // The same photo on a tall monitor: bars above and below; filled, the sides go.
    EXPECT_EQ((Rect{0, 555, 1080, 1365}), FitRect(4000, 3000, 1080, 1920));
    EXPECT_EQ((Rect{1156, 0, 2844, 3000}), FillSource(4000, 3000, 1080, 1920));
    // Same aspect: the whole monitor, the whole picture.
    EXPECT_EQ((Rect{0, 0, 800, 600}), FitRect(400, 300, 800, 600));
    EXPECT_EQ((Rect{0, 0, 400, 300}), FillSource(400, 300, 800, 600));
    // Odd sizes round to the nearest pixel and never vanish.
    EXPECT_EQ((Rect{0, 0, 2, 1}), FitRect(3, 1, 2, 2));
    EXPECT_EQ((Rect{959, 0, 960, 1080}), FitRect(1, 1000, 1920, 1080));
    EXPECT_EQ((Rect{0, 499, 1, 500}), FillSource(1, 1000, 1920, 1080));
    EXPECT_EQ((Rect{1, 0, 4, 5}), FillSource(5, 5, 3, 5));
    // Nothing to lay out.
    EXPECT_TRUE(FitRect(0, 10, 10, 10).empty());
    EXPECT_TRUE(FillSource(10, 10, 10, -1).empty());
}

TEST(MonitorLayout, EveryStyleHasItsLook) {
    Look centre = LookFor(kStyleCentre, 512, 384, 1024, 768);
    EXPECT_TRUE(centre.draws && centre.background && !centre.tiled);
    EXPECT_EQ((Rect{256, 192, 768, 576}), centre.target);
    // Larger than the monitor: the middle shows, each half truncated on its own.
    EXPECT_EQ((Rect{-1, -1, 4, 2}), LookFor(kStyleCentre, 5, 3, 2, 1).target);
    Look tile = LookFor(kStyleTile, 30, 20, 100, 100);
    EXPECT_TRUE(tile.tiled && !tile.background);
    EXPECT_EQ((Rect{0, 0, 30, 20}), tile.target);
    EXPECT_EQ((Rect{0, 0, 100, 50}), LookFor(kStyleStretch, 30, 20, 100, 50).target);
    Look fit = LookFor(kStyleFit, 4000, 3000, 1920, 1080);
    EXPECT_TRUE(fit.background);
    EXPECT_EQ((Rect{0, 0, 4000, 3000}), fit.source);
    EXPECT_EQ((Rect{240, 0, 1680, 1080}), fit.target);
    Look fill = LookFor(kStyleFill, 4000, 3000, 1920, 1080);
    EXPECT_FALSE(fill.background);
    EXPECT_EQ((Rect{0, 375, 4000, 2625}), fill.source);
    EXPECT_EQ((Rect{0, 0, 1920, 1080}), fill.target);
    EXPECT_FALSE(LookFor(kLastStyle + 1, 10, 10, 10, 10).draws);
    EXPECT_FALSE(LookFor(-1, 10, 10, 10, 10).draws);
    EXPECT_FALSE(LookFor(kStyleFit, 0, 10, 10, 10).draws);
}

TEST(MonitorLayout, MonitorsLeftOfAndAboveTheMainOneWrapAround) {
    // The main monitor and one to its right: no wrapping at all.
    const Rect main{0, 0, 800, 600}, right{800, 0, 1440, 480}, wide{0, 0, 1440, 600};
    ASSERT_EQ(1u, WrappedPieces(right, wide).size());
    EXPECT_EQ((Rect{0, 0, 640, 480}), WrappedPieces(right, wide)[0].source);
    EXPECT_EQ(800, WrappedPieces(right, wide)[0].x);

    // A monitor on the left lands after the main one in the picture.
    const Rect left{-640, 0, 0, 480}, leftScreen{-640, 0, 800, 600};
    std::vector<Piece> pieces = WrappedPieces(left, leftScreen);
    ASSERT_EQ(1u, pieces.size());
    EXPECT_EQ((Rect{0, 0, 640, 480}), pieces[0].source);
    EXPECT_EQ(800, pieces[0].x);
    EXPECT_EQ(0, pieces[0].y);

    // One above the main monitor and reaching left of it: four pieces, the
    // part above-left in the picture's bottom-right corner.
    const Rect above{-100, -50, 300, 150}, screen{-100, -50, 800, 600};
    pieces = WrappedPieces(above, screen);
    ASSERT_EQ(4u, pieces.size());
    EXPECT_EQ((Rect{0, 0, 100, 50}), pieces[0].source);
    EXPECT_EQ(800, pieces[0].x);
    EXPECT_EQ(600, pieces[0].y);
    EXPECT_EQ((Rect{100, 0, 400, 50}), pieces[1].source);
    EXPECT_EQ(0, pieces[1].x);
    EXPECT_EQ(600, pieces[1].y);
    EXPECT_EQ((Rect{0, 50, 100, 200}), pieces[2].source);
    EXPECT_EQ(800, pieces[2].x);
    EXPECT_EQ(0, pieces[2].y);
    EXPECT_EQ((Rect{100, 50, 400, 200}), pieces[3].source);
    EXPECT_EQ(0, pieces[3].x);
    EXPECT_EQ(0, pieces[3].y);
    // Together the pieces cover the monitor exactly once.
    int area = 0;
    for (const Piece& p : pieces) area += p.source.width() * p.source.height();
    EXPECT_EQ(400 * 200, area);

    // Parts outside the virtual screen, or no screen at all, give nothing.
    EXPECT_EQ(1u, WrappedPieces(Rect{700, 500, 900, 700}, wide).size());
    EXPECT_TRUE(WrappedPieces(main, Rect{}).empty());
}

TEST(MonitorLayout, TheComposedPictureShowsEachMonitorsLookWhereTheTilesPutIt) {
    // The main monitor (odd size) with one on its left and one above it.
    const Rect main{0, 0, 801, 601}, left{-641, 100, 0, 581}, above{0, -301, 401, 0};
    const Rect screen{-641, -301, 801, 601};
    Buffer canvas(screen.width(), screen.height());
    Buffer mainLook = PaintedLook(main.width(), main.height(), 0x10);
    Buffer leftLook = PaintedLook(left.width(), left.height(), 0x20);
    Buffer aboveLook = PaintedLook(above.width(), above.height(), 0x30);
    CopyWrapped(mainLook.view, main, screen, canvas.view);
    CopyWrapped(leftLook.view, left, screen, canvas.view);
    CopyWrapped(aboveLook.view, above, screen, canvas.view);

    // Screen pixel (x, y) shows the picture at (x mod 1442, y mod 902).
    auto shown = [&](int x, int y) {
        int px = ((x % 1442) + 1442) % 1442, py = ((y % 902) + 902) % 902;
        return canvas.Pixel(px, py);
    };
    EXPECT_EQ(0x10FF00u, shown(0, 0));        // each monitor's top-left marker
    EXPECT_EQ(0x20FF00u, shown(-641, 100));
    EXPECT_EQ(0x30FF00u, shown(0, -301));
    EXPECT_EQ(0x100000u, shown(800, 600));    // last pixels
    EXPECT_EQ(0x200000u, shown(-1, 580));
    EXPECT_EQ(0x300000u, shown(400, -1));
    // The picture itself: the left monitor after the main one, the one above
    // at the bottom; outside every monitor black.
    EXPECT_EQ(0x20FF00u, canvas.Pixel(801, 100));
    EXPECT_EQ(0x30FF00u, canvas.Pixel(0, 601));
    EXPECT_EQ(0u, canvas.Pixel(801, 0));      // left of main, above the left monitor
    EXPECT_EQ(0u, canvas.Pixel(500, 700));    // right of the monitor above
    EXPECT_EQ(0u, canvas.Pixel(1441, 901));

    // A look smaller than its monitor is clipped, never read past its end.
    Buffer small(10, 10);
    FillPixels(small.view, 1, 2, 3);
    CopyWrapped(small.view, left, screen, canvas.view);
    EXPECT_EQ(0x030201u, canvas.Pixel(801 + 9, 109));
    EXPECT_EQ(0x200000u, canvas.Pixel(801 + 10, 110));
}

TEST(MonitorLayout, SpanSpreadsOnePictureOverAllMonitorsLeftOfAndAboveTheMainOne) {
    // Over the area it is given span is fill: one monitor looks filled.
    Look span = LookFor(kStyleSpan, 4000, 3000, 1920, 1080);
    EXPECT_EQ(LookFor(kStyleFill, 4000, 3000, 1920, 1080).source, span.source);
    EXPECT_EQ((Rect{0, 0, 1920, 1080}), span.target);
    EXPECT_TRUE(span.draws && !span.background && !span.tiled);
    EXPECT_EQ(kStyleFill, StyleOnOneMonitor(kStyleSpan));
    EXPECT_EQ(kStyleFit, StyleOnOneMonitor(kStyleFit));
    // A panorama over the bounding rectangle of all monitors: 2000 x 500
    // over 1440 x 900 keeps its aspect, its sides cropped.
    EXPECT_EQ((Rect{600, 0, 1400, 500}), FillSource(2000, 500, 1440, 900));

    // The main monitor, one on its left (lower) and one above it.  The span
    // look is one picture of the virtual screen's size whose pixel (x, y) is
    // painted with its own place, so every copied pixel tells where it came from.
    const Rect main{0, 0, 800, 600}, left{-640, 100, 0, 580}, above{100, -300, 500, 0};
    const Rect screen{-640, -300, 800, 600};
    Buffer spanLook(screen.width(), screen.height());
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            uint8_t* p = spanLook.view.at(x, y);
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(x >> 8);
            p[2] = static_cast<uint8_t>(y);
        }
    auto placeOf = [&](int screenX, int screenY) {  // what the span look holds for a screen point
        return spanLook.Pixel(screenX - screen.left, screenY - screen.top);
    };
    Buffer canvas(screen.width(), screen.height());
    FillPixels(canvas.view, 0x11, 0x11, 0x11);  // marks what no monitor covers
    for (const Rect& m : {main, left, above}) CopySpanned(spanLook.view, m, screen, canvas.view);

    // Screen pixel (x, y) shows the canvas at (x mod 1440, y mod 900): every
    // monitor shows the span look's pixel of its own screen point.
    auto shown = [&](int x, int y) {
        int px = ((x % 1440) + 1440) % 1440, py = ((y % 900) + 900) % 900;
        return canvas.Pixel(px, py);
    };
    for (const Rect& m : {main, left, above}) {
        SCOPED_TRACE(m.left);
        EXPECT_EQ(placeOf(m.left, m.top), shown(m.left, m.top));
        EXPECT_EQ(placeOf(m.right - 1, m.bottom - 1), shown(m.right - 1, m.bottom - 1));
        EXPECT_EQ(placeOf((m.left + m.right) / 2, (m.top + m.bottom) / 2),
                  shown((m.left + m.right) / 2, (m.top + m.bottom) / 2));
    }
    // The picture continues across the monitors' edges: the main monitor's
    // left column and the left monitor's right column are neighbours in it.
    EXPECT_EQ(placeOf(0, 300), shown(0, 300));
    EXPECT_EQ(placeOf(-1, 300), shown(-1, 300));
    EXPECT_NE(shown(0, 300), shown(-1, 300));
    // Gaps of the virtual screen outside every monitor are left as they were.
    EXPECT_EQ(0x111111u, shown(-640, 0));   // left of the main one, above the left monitor
    EXPECT_EQ(0x111111u, shown(600, -100));  // above the main one, right of the upper monitor
    // A look smaller than the virtual screen is clipped, never overrun.
    Buffer small(100, 100);
    CopySpanned(small.view, left, screen, canvas.view);
}
