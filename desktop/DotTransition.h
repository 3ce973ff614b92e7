#pragma once
// The change effect's dot pattern: every 5 by 5 block of the picture turns
// from the old look into the new one pixel by pixel, in a spiral from the
// block's top-left corner inwards.  One step copies, in every block, the one
// pixel that the step's offset names, straight between the two images' bytes.
#include <cstddef>
#include <cstdint>

namespace dot_transition {

constexpr int kBlockSize = 5;
// 25 steps visit every cell of a block; the last 4 repeat (0,0) and so
// change nothing that is seen.
constexpr unsigned kStepCount = 29;

struct Offset {
    int dx;
    int dy;
};

// The offset of each step within a block, in step order.
extern const Offset kOffsets[kStepCount];

// A 24-bit image (blue, green, red per pixel) addressed the way the effect's
// bitmaps are: the pixel in column x, row y (from the top) starts at
// topRow + y * rowStep + 3 * x.  rowStep may be negative (bottom-up storage).
struct PixelImage {
    uint8_t* topRow = nullptr;
    int32_t rowStep = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Copies the pixels of step `step` from `target` into `shown`, over the
// area both images cover.  Returns false, copying nothing, for a step
// outside 0 to kStepCount - 1 or an image without pixels.
bool ApplyStep(unsigned step, const PixelImage& target, const PixelImage& shown);

// How many pixels one step copies on images of this size.
size_t PixelsPerStep(unsigned step, int32_t width, int32_t height);

}  // namespace dot_transition
