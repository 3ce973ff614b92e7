#include "desktop/DotTransition.h"

#include <algorithm>
#include <cstring>

namespace dot_transition {

const Offset kOffsets[kStepCount] = {
    {0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}, {4, 3},
    {4, 2}, {4, 1}, {4, 0}, {3, 0}, {2, 0}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 3},
    {3, 3}, {3, 2}, {3, 1}, {2, 1}, {2, 2}, {0, 0}, {0, 0}, {0, 0}, {0, 0},
};

namespace {
// Cells of one offset along an edge of `length` pixels: x = offset, offset + 5, ...
int32_t CellsAlong(int32_t length, int offset) {
    if (length <= offset) return 0;
    return (length - offset + kBlockSize - 1) / kBlockSize;
}
}  // namespace

size_t PixelsPerStep(unsigned step, int32_t width, int32_t height) {
    if (step >= kStepCount || width <= 0 || height <= 0) return 0;
    const Offset& o = kOffsets[step];
    return static_cast<size_t>(CellsAlong(width, o.dx)) * static_cast<size_t>(CellsAlong(height, o.dy));
}

bool ApplyStep(unsigned step, const PixelImage& target, const PixelImage& shown) {
    if (step >= kStepCount || !target.topRow || !shown.topRow) return false;
    const int32_t width = std::min(target.width, shown.width);
    const int32_t height = std::min(target.height, shown.height);
    if (width <= 0 || height <= 0) return false;

    const Offset& o = kOffsets[step];
    const int32_t columns = CellsAlong(width, o.dx);
    const ptrdiff_t pixelStride = 3 * kBlockSize;
    // Row by row, so each pass walks memory forwards; every pixel is copied
    // independently, so the order does not change the result.
    for (int32_t y = o.dy; y < height; y += kBlockSize) {
        const uint8_t* from = target.topRow + static_cast<ptrdiff_t>(y) * target.rowStep + 3 * o.dx;
        uint8_t* to = shown.topRow + static_cast<ptrdiff_t>(y) * shown.rowStep + 3 * o.dx;
        for (ptrdiff_t at = 0, end = columns * pixelStride; at < end; at += pixelStride) {
            // Two bytes and one: one store fewer than three single bytes.
            std::memcpy(to + at, from + at, 2);
            to[at + 2] = from[at + 2];
        }
    }
    return true;
}

}  // namespace dot_transition
