#include "image/PreviewLayout.h"

PreviewRect InitialPreviewPlacement(int screenWidth, int screenHeight, const PreviewRect& workArea) {
    int width = screenWidth / 4, height = screenHeight / 4;
    int x = workArea.left + 10, y = workArea.bottom - height - 10;
    return PreviewRect{x, y, x + width, y + height};
}

PreviewRect CornerPlacement(const PreviewRect& workArea, int width, int height) {
    int x = workArea.left + 10, y = workArea.bottom - height - 10;
    return PreviewRect{x, y, x + width, y + height};
}

PreviewSize ScaledPictureSize(int width, int height, int screenWidth, int screenHeight, int pictureWidth,
                              int pictureHeight) {
    if (screenWidth <= 0 || screenHeight <= 0) return PreviewSize{0, 0};
    double dw = (static_cast<double>(width) / screenWidth) * pictureWidth;
    double dh = (static_cast<double>(height) / screenHeight) * pictureHeight;
    return PreviewSize{static_cast<int>(dw), static_cast<int>(dh)};
}

PreviewPoint CentreOrigin(int width, int height, const PreviewSize& picture) {
    return PreviewPoint{width / 2 - picture.width / 2, height / 2 - picture.height / 2};
}

std::vector<PreviewPoint> TileOrigins(int width, int height, const PreviewSize& tile) {
    std::vector<PreviewPoint> origins;
    if (tile.width <= 0 || tile.height <= 0) return origins;  // the loop could not advance
    for (int x = 0; x < width; x += tile.width)
        for (int y = 0; y < height; y += tile.height) origins.push_back(PreviewPoint{x, y});
    return origins;
}
