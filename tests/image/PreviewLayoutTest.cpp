#include <gtest/gtest.h>

#include "image/PreviewLayout.h"

TEST(PreviewLayout, QuarterOfTheScreenInTheLowerLeftOfTheWorkArea) {
    PreviewRect r = InitialPreviewPlacement(1024, 768, PreviewRect{0, 0, 1024, 740});
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(538, r.top);
    EXPECT_EQ(256, r.right - r.left);
    EXPECT_EQ(192, r.bottom - r.top);
    // A task bar on the left moves it along.
    r = CornerPlacement(PreviewRect{60, 0, 1024, 768}, 250, 186);
    EXPECT_EQ(70, r.left);
    EXPECT_EQ(768 - 186 - 10, r.top);
}

TEST(PreviewLayout, CentredPictureIsScaledByTheWindowToScreenRatio) {
    PreviewSize s = ScaledPictureSize(250, 186, 1024, 768, 512, 384);
    EXPECT_EQ(125, s.width);
    EXPECT_EQ(93, s.height);
    PreviewPoint at = CentreOrigin(250, 186, s);
    EXPECT_EQ(63, at.x);
    EXPECT_EQ(47, at.y);
    // A picture bigger than the screen starts left of and above the window.
    PreviewSize big = ScaledPictureSize(250, 186, 1024, 768, 4096, 3072);
    PreviewPoint off = CentreOrigin(250, 186, big);
    EXPECT_EQ(125 - 500, off.x);
    EXPECT_EQ(93 - 372, off.y);
}

TEST(PreviewLayout, TilesGoColumnByColumnAndCoverTheWindow) {
    auto tiles = TileOrigins(250, 186, ScaledPictureSize(250, 186, 1024, 768, 512, 384));
    ASSERT_EQ(4u, tiles.size());
    EXPECT_EQ(0, tiles[1].x);
    EXPECT_EQ(93, tiles[1].y);  // the second tile is below the first: columns are the outer loop
    EXPECT_EQ(125, tiles[2].x);
    EXPECT_EQ(0, tiles[2].y);

    PreviewSize s = ScaledPictureSize(250, 186, 1024, 768, 300, 200);
    EXPECT_EQ(73, s.width);
    EXPECT_EQ(48, s.height);
    tiles = TileOrigins(250, 186, s);
    ASSERT_EQ(16u, tiles.size());
    const int xs[] = {0, 73, 146, 219}, ys[] = {0, 48, 96, 144};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            EXPECT_EQ(xs[c], tiles[c * 4 + r].x);
            EXPECT_EQ(ys[r], tiles[c * 4 + r].y);
        }
}

TEST(PreviewLayout, TilesUnderOnePixelGiveNoLoop) {
    PreviewSize s = ScaledPictureSize(250, 186, 1024, 768, 3, 2);
    EXPECT_EQ(0, s.width);
    EXPECT_TRUE(TileOrigins(250, 186, s).empty());
    EXPECT_TRUE(TileOrigins(250, 186, PreviewSize{5, 0}).empty());
    EXPECT_EQ(0, ScaledPictureSize(250, 186, 0, 0, 10, 10).width);
}
