#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "desktop/DotTransition.h"

using namespace dot_transition;

namespace {
// A 24-bit image in its own buffer, rows padded like a bitmap's, stored
// bottom-up (negative row step) or top-down.
struct TestImage {
    TestImage(int32_t w, int32_t h, bool bottomUp, uint8_t seed) : width(w), height(h) {
        rowLength = (3 * w + 3) & ~3;
        bytes.resize(static_cast<size_t>(rowLength) * h);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
        view.width = w;
        view.height = h;
        view.rowStep = bottomUp ? -rowLength : rowLength;
        view.topRow = bottomUp ? bytes.data() + static_cast<size_t>(h - 1) * rowLength : bytes.data();
    }
    const uint8_t* Pixel(int x, int y) const { return view.topRow + y * view.rowStep + 3 * x; }
    bool SamePixel(const TestImage& other, int x, int y) const {
        const uint8_t* a = Pixel(x, y);
        const uint8_t* b = other.Pixel(x, y);
        return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
    }

    int32_t width, height, rowLength;
    std::vector<uint8_t> bytes;
    PixelImage view;
};

// Cells of a 5 by 5 block that steps 0 to `last` name.
std::set<std::pair<int, int>> CellsUpTo(unsigned last) {
    std::set<std::pair<int, int>> cells;
    for (unsigned s = 0; s <= last; ++s) cells.insert({kOffsets[s].dx, kOffsets[s].dy});
    return cells;
}

// Checks that after steps 0..last exactly the named cells of every block
// come from the target, every other pixel and all padding are untouched.
void ExpectStepsApplied(unsigned last, int32_t w, int32_t h, bool bottomUp) {
    SCOPED_TRACE(testing::Message() << w << "x" << h << (bottomUp ? " bottom-up" : " top-down") << " after step "
                                    << last);
    TestImage target(w, h, bottomUp, 101);
    TestImage shown(w, h, bottomUp, 3);
    const TestImage original = shown;
    for (unsigned s = 0; s <= last; ++s) ASSERT_TRUE(ApplyStep(s, target.view, shown.view));

    const auto cells = CellsUpTo(last);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool fromTarget = cells.count({x % kBlockSize, y % kBlockSize}) != 0;
            const TestImage& expected = fromTarget ? target : original;
            ASSERT_TRUE(shown.SamePixel(expected, x, y))
                << "pixel (" << x << ", " << y << ") should come from " << (fromTarget ? "target" : "old image");
        }
        // Row padding is not part of any pixel.
        const uint8_t* rowStart = shown.Pixel(0, y);
        const uint8_t* originalRow = original.Pixel(0, y);
        for (int i = 3 * w; i < shown.rowLength; ++i) ASSERT_EQ(originalRow[i], rowStart[i]) << "padding, row " << y;
    }
}
}  // namespace

TEST(DotOffsets, FirstTwentyFiveVisitEveryCellOfABlockOnce) {
    std::set<std::pair<int, int>> seen;
    for (unsigned s = 0; s < 25; ++s) {
        const Offset& o = kOffsets[s];
        ASSERT_GE(o.dx, 0);
        ASSERT_LT(o.dx, kBlockSize);
        ASSERT_GE(o.dy, 0);
        ASSERT_LT(o.dy, kBlockSize);
        EXPECT_TRUE(seen.insert({o.dx, o.dy}).second) << "step " << s << " repeats a cell";
    }
    EXPECT_EQ(25u, seen.size());
    for (unsigned s = 25; s < kStepCount; ++s) {
        EXPECT_EQ(0, kOffsets[s].dx) << s;
        EXPECT_EQ(0, kOffsets[s].dy) << s;
    }
}

TEST(DotOffsets, SpiralInwardsFromTheTopLeftGoingDownFirst) {
    // A spiral walks straight on and turns only where going straight would
    // leave the block or meet a cell already visited; it turns the same way
    // each time.
    ASSERT_EQ(0, kOffsets[0].dx);
    ASSERT_EQ(0, kOffsets[0].dy);
    ASSERT_EQ(0, kOffsets[1].dx);
    ASSERT_EQ(1, kOffsets[1].dy);
    std::set<std::pair<int, int>> visited = {{0, 0}};
    int dirX = 0, dirY = 1;
    for (unsigned s = 1; s < 25; ++s) {
        const int stepX = kOffsets[s].dx - kOffsets[s - 1].dx, stepY = kOffsets[s].dy - kOffsets[s - 1].dy;
        ASSERT_EQ(1, std::abs(stepX) + std::abs(stepY)) << "step " << s << " does not move to a neighbour";
        const int aheadX = kOffsets[s - 1].dx + dirX, aheadY = kOffsets[s - 1].dy + dirY;
        const bool straightOpen = aheadX >= 0 && aheadX < kBlockSize && aheadY >= 0 && aheadY < kBlockSize &&
                                  !visited.count({aheadX, aheadY});
        if (straightOpen) {
            EXPECT_TRUE(stepX == dirX && stepY == dirY) << "step " << s << " turns although it could go on";
        } else {
            // Down, right, up, left: each turn is a quarter turn anticlockwise on screen.
            const int turnX = dirY, turnY = -dirX;
            EXPECT_TRUE(stepX == turnX && stepY == turnY) << "step " << s << " turns the wrong way";
        }
        dirX = stepX;
        dirY = stepY;
        visited.insert({kOffsets[s].dx, kOffsets[s].dy});
    }
    EXPECT_EQ(2, kOffsets[24].dx);
    EXPECT_EQ(2, kOffsets[24].dy);
}

TEST(DotStep, EachStepTakesExactlyItsCellsFromTheTarget) {
    // Sizes on, below and between multiples of the block, and thin strips.
    const int32_t sizes[][2] = {{5, 5}, {10, 15}, {1, 1}, {4, 3}, {7, 11}, {13, 6}, {1, 17}, {23, 2}};
    for (const auto& size : sizes) {
        for (unsigned last : {0u, 1u, 4u, 12u, 23u, 24u}) {
            ExpectStepsApplied(last, size[0], size[1], true);
            ExpectStepsApplied(last, size[0], size[1], false);
        }
    }
}

TEST(DotStep, AfterStep24TheImageIsTheTargetAndLaterStepsChangeNothing) {
    for (const auto& size : {std::pair<int, int>{12, 9}, {5, 5}, {31, 4}}) {
        TestImage target(size.first, size.second, true, 77);
        TestImage shown(size.first, size.second, true, 9);
        for (unsigned s = 0; s < 25; ++s) ASSERT_TRUE(ApplyStep(s, target.view, shown.view));
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) ASSERT_TRUE(shown.SamePixel(target, x, y)) << x << "," << y;

        const std::vector<uint8_t> after24 = shown.bytes;
        for (unsigned s = 25; s < kStepCount; ++s) {
            ASSERT_TRUE(ApplyStep(s, target.view, shown.view));
            EXPECT_EQ(after24, shown.bytes) << "step " << s;
        }
    }
}

TEST(DotStep, StepsBeyondTheTableAndEmptyImagesCopyNothing) {
    TestImage target(6, 6, true, 1), shown(6, 6, true, 50);
    const std::vector<uint8_t> before = shown.bytes;
    EXPECT_FALSE(ApplyStep(kStepCount, target.view, shown.view));
    EXPECT_FALSE(ApplyStep(0xFFFFFFFFu, target.view, shown.view));
    PixelImage empty = shown.view;
    empty.width = 0;
    EXPECT_FALSE(ApplyStep(0, target.view, empty));
    empty = shown.view;
    empty.height = -3;
    EXPECT_FALSE(ApplyStep(0, target.view, empty));
    EXPECT_FALSE(ApplyStep(0, PixelImage{}, shown.view));
    EXPECT_EQ(before, shown.bytes);
}

TEST(DotStep, ImagesOfDifferentSizesMeetOnlyWhereBothHavePixels) {
    // Each buffer is exactly its own size, so the sanitizers catch any reach
    // past the smaller one.
    TestImage target(3, 4, true, 1);
    TestImage shown(9, 2, false, 40);
    const TestImage original = shown;
    for (unsigned s = 0; s < kStepCount; ++s) ApplyStep(s, target.view, shown.view);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_TRUE(shown.SamePixel(x < 3 ? target : original, x, y)) << x << "," << y;
}

TEST(DotStep, PixelsPerStepCountsOneCellOfEveryBlock) {
    // 1920 by 1080: 384 by 216 blocks; 7 by 11 with offset (4,4): columns 4, rows 4 and 9.
    EXPECT_EQ(384u * 216u, PixelsPerStep(0, 1920, 1080));
    EXPECT_EQ(2u, PixelsPerStep(8, 7, 11));
    EXPECT_EQ(0u, PixelsPerStep(8, 4, 4));
    EXPECT_EQ(0u, PixelsPerStep(kStepCount, 10, 10));
}
