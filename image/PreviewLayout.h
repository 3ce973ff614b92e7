#pragma once
// Where the preview window goes and how a picture is laid out in it:
// plain arithmetic, so it is tested without a window.
#include <vector>

struct PreviewRect { int left, top, right, bottom; };
struct PreviewPoint { int x, y; };
struct PreviewSize { int width, height; };

// At start: a quarter of the screen each way, 10 pixels in from the left
// and bottom edges of the work area.
PreviewRect InitialPreviewPlacement(int screenWidth, int screenHeight, const PreviewRect& workArea);
// At the first show after a hide: the given outer size, in the same corner.
PreviewRect CornerPlacement(const PreviewRect& workArea, int width, int height);
// The picture as the desktop would show it, reduced by the window-to-screen ratio.
PreviewSize ScaledPictureSize(int width, int height, int screenWidth, int screenHeight, int pictureWidth,
                              int pictureHeight);
// Top-left corner of a centred picture (each half truncated on its own).
PreviewPoint CentreOrigin(int width, int height, const PreviewSize& picture);
// Tile corners, column by column; none when a tile is under one pixel.
std::vector<PreviewPoint> TileOrigins(int width, int height, const PreviewSize& tile);
