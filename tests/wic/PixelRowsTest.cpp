// The plug-in's pixel work: DIB sizes, turning pictures upright, flattening alpha.
#include <gtest/gtest.h>

#include <vector>

#include "spi/wic/PixelRows.h"
#include "spi/wic/Signature.h"

TEST(PixelRows, DibSizesArePaddedAndBounded) {
    EXPECT_EQ(4u, DibStride(1));
    EXPECT_EQ(12u, DibStride(4));
    EXPECT_EQ(16u, DibStride(5));
    size_t bytes = 0;
    ASSERT_TRUE(DibBytes(3840, 2160, &bytes));
    EXPECT_EQ(3840u * 3 * 2160, bytes);
    EXPECT_FALSE(DibBytes(0, 10, &bytes));
    EXPECT_FALSE(DibBytes(10, 0, &bytes));
    EXPECT_FALSE(DibBytes(40000, 40000, &bytes));          // 4.8 GB
    EXPECT_FALSE(DibBytes(0xFFFFFFFFu, 0xFFFFFFFFu, &bytes));
    EXPECT_FALSE(DibBytes(1, 0xFFFFFFFFu, &bytes));
}

TEST(PixelRows, EveryOrientationPutsTheCornersWhereTheyBelong) {
    // A 3 x 2 picture whose pixels carry their own number 0..5 (row-major).
    const uint32_t w = 3, h = 2;
    std::vector<uint8_t> src(DibStride(w) * h, 0xEE);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) src[y * DibStride(w) + x * 3 + c] = uint8_t(y * w + x);
    // Shown top-down, as numbers of stored pixels.
    const std::vector<std::vector<int>> expected = {
        {},
        {0, 1, 2, 3, 4, 5}, {2, 1, 0, 5, 4, 3}, {5, 4, 3, 2, 1, 0}, {3, 4, 5, 0, 1, 2},
        {0, 3, 1, 4, 2, 5}, {3, 0, 4, 1, 5, 2}, {5, 2, 4, 1, 3, 0}, {2, 5, 1, 4, 0, 3},
    };
    for (int o = 1; o <= 8; ++o) {
        uint32_t sw, sh;
        OrientedSize(o, w, h, &sw, &sh);
        EXPECT_EQ(o >= 5 ? h : w, sw);
        std::vector<uint8_t> dib(DibStride(sw) * sh, 0xAA);
        WriteOriented(src.data(), DibStride(w), w, h, o, dib.data(), DibStride(sw));
        std::vector<int> shown;
        for (uint32_t Y = 0; Y < sh; ++Y)
            for (uint32_t X = 0; X < sw; ++X) {
                const uint8_t* p = &dib[(sh - 1 - Y) * DibStride(sw) + X * 3];  // bottom-up rows
                EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
                shown.push_back(p[0]);
            }
        EXPECT_EQ(expected[o], shown) << "orientation " << o;
    }
}

TEST(PixelRows, AlphaIsLaidOverBlack) {
    const uint8_t bgra[] = {255, 128, 0, 255, 255, 128, 10, 0, 200, 100, 50, 128, 255, 255, 255, 1};
    uint8_t bgr[12] = {};
    CompositeOnBlack(bgra, 4, bgr);
    const uint8_t expected[] = {255, 128, 0, 0, 0, 0, 100, 50, 25, 1, 1, 1};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(expected[i], bgr[i]) << i;
}

TEST(Signature, MatchesUnderTheMaskInsideTheHeadOnly) {
    Signature s;
    s.position = 2;
    s.pattern = {0x10, 0x20};
    s.mask = {0xF0, 0xFF};
    const uint8_t head[] = {0, 0, 0x1F, 0x20, 0};
    EXPECT_TRUE(SignatureMatches(s, head, sizeof(head)));
    EXPECT_FALSE(SignatureMatches(s, head, 3));  // runs past the bytes given
    const uint8_t other[] = {0, 0, 0x2F, 0x20};
    EXPECT_FALSE(SignatureMatches(s, other, sizeof(other)));
    s.mask.pop_back();
    EXPECT_FALSE(SignatureMatches(s, head, sizeof(head)));  // mask and pattern disagree
    s.position = static_cast<size_t>(-1);
    s.mask = {0xFF, 0xFF};
    EXPECT_FALSE(SignatureMatches(s, head, sizeof(head)));
}

TEST(PixelRows, PaletteIndicesOfEveryDepthExpand) {
    uint32_t palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u | uint32_t(i) << 16 | uint32_t(255 - i) << 8 | uint32_t(i / 2);
    auto red = [](const uint8_t* bgr, int x) { return bgr[3 * x + 2]; };
    uint8_t bgr[3 * 9] = {};
    const uint8_t one[] = {0xA5, 0x80};  // 1 0 1 0 0 1 0 1 | 1
    ExpandIndexedRow(one, 9, 1, palette, false, bgr);
    const int bits[] = {1, 0, 1, 0, 0, 1, 0, 1, 1};
    for (int x = 0; x < 9; ++x) EXPECT_EQ(bits[x], red(bgr, x)) << x;
    const uint8_t two[] = {0x1B};  // 0 1 2 3
    ExpandIndexedRow(two, 4, 2, palette, false, bgr);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(x, red(bgr, x));
    const uint8_t four[] = {0xF0, 0x7A};  // 15 0 7 10
    ExpandIndexedRow(four, 4, 4, palette, false, bgr);
    EXPECT_EQ(15, red(bgr, 0));
    EXPECT_EQ(0, red(bgr, 1));
    EXPECT_EQ(7, red(bgr, 2));
    EXPECT_EQ(10, red(bgr, 3));
    EXPECT_EQ(255 - 10, bgr[3 * 3 + 1]);
    EXPECT_EQ(5, bgr[3 * 3]);
    // A transparent palette entry is laid over black; without alpha it is not.
    palette[200] = 0x00FFFFFFu;
    palette[201] = 0x80FF8000u;
    const uint8_t eight[] = {200, 201};
    ExpandIndexedRow(eight, 2, 8, palette, true, bgr);
    const uint8_t expected[] = {0, 0, 0, 0, 64, 128};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], bgr[i]) << i;
    ExpandIndexedRow(eight, 1, 8, palette, false, bgr);
    EXPECT_EQ(255, bgr[0]);
}
