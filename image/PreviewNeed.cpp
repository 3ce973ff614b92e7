#include "image/PreviewNeed.h"

#include <algorithm>
#include <cmath>

PreviewNeed Widest(const PreviewNeed& a, const PreviewNeed& b) {
    return PreviewNeed{std::max(a.width, b.width), std::max(a.height, b.height), std::max(a.centreScale, b.centreScale)};
}

PreviewNeed PreviewWindowNeed(int monitorWidth, int monitorHeight, bool centred) {
    PreviewNeed need;
    need.width = std::max(1, monitorWidth / 4);
    need.height = std::max(1, monitorHeight / 4);
    need.centreScale = centred && monitorWidth > 0 ? static_cast<double>(need.width) / monitorWidth : 0;
    return need;
}

namespace {
// The scale of the picture a need asks for, at most 1.
double ScaleFor(int pictureWidth, int pictureHeight, const PreviewNeed& need) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return 1;
    // Stretching needs both sides covered, so the larger of the two ratios.
    double scale = std::max(static_cast<double>(need.width) / pictureWidth,
                            static_cast<double>(need.height) / pictureHeight);
    scale = std::max(scale, need.centreScale);
    return std::min(1.0, scale);
}
}  // namespace

PreviewSize StoredPreviewSize(int pictureWidth, int pictureHeight, const PreviewNeed& need) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return PreviewSize{0, 0};
    const double scale = ScaleFor(pictureWidth, pictureHeight, need);
    const int width = std::max(1, static_cast<int>(std::ceil(pictureWidth * scale - 1e-9)));
    const int height = std::max(1, static_cast<int>(std::ceil(pictureHeight * scale - 1e-9)));
    return PreviewSize{std::min(width, pictureWidth), std::min(height, pictureHeight)};
}

bool StoredPreviewFits(int width, int height, int pictureWidth, int pictureHeight, const PreviewNeed& need) {
    if (width <= 0 || height <= 0) return false;
    if (width >= pictureWidth && height >= pictureHeight) return true;
    const PreviewSize wanted = StoredPreviewSize(pictureWidth, pictureHeight, need);
    return width + 1 >= wanted.width && height + 1 >= wanted.height;
}
