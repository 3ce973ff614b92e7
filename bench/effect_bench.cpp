// Change-effect benchmark: one dot step on a 1920 by 1080 image, moving
// bytes between two DIB sections by address, against a bare loop that
// copies the same number of pixels between two plain buffers, in the same
// run.  Prints the best time of each and their ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "desktop/DotTransition.h"
#include "framework/Handles.h"
#include "image/CDIBitmap.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

dot_transition::PixelImage PixelsOf(const CDIBitmap& dib) {
    dot_transition::PixelImage image;
    image.topRow = dib.m_pTopRow;
    image.rowStep = dib.m_nRowStep;
    image.width = dib.m_nWidth;
    image.height = dib.m_nHeight;
    return image;
}

// Copies `count` 3-byte pixels; noinline so both sides pay one call a step.
__attribute__((noinline)) void CopyPixels(const uint8_t* from, uint8_t* to, size_t count) {
    for (size_t i = 0; i < 3 * count; i += 3) {
        to[i] = from[i];
        to[i + 1] = from[i + 1];
        to[i + 2] = from[i + 2];
    }
}
}  // namespace

int main() {
    const int32_t kWidth = 1920, kHeight = 1080;
    const int kRounds = 40;

    WindowDC screen(nullptr);
    CDIBitmap shown, target;
    if (!shown.Create(screen.get(), kWidth, kHeight) || !target.Create(screen.get(), kWidth, kHeight)) {
        std::fprintf(stderr, "could not make the bitmaps\n");
        return 1;
    }
    const uint32_t size = CDIBitmap::SectionSize(kWidth, kHeight);
    for (uint32_t i = 0; i < size; ++i) {
        target.m_pBits[i] = static_cast<uint8_t>(i * 31 + 7);
        shown.m_pBits[i] = static_cast<uint8_t>(i * 17);
    }

    // Every step of the table copies about one pixel in 25; take the largest.
    size_t pixels = 0;
    for (unsigned s = 0; s < dot_transition::kStepCount; ++s)
        pixels = std::max(pixels, dot_transition::PixelsPerStep(s, kWidth, kHeight));
    std::vector<uint8_t> from(3 * pixels), to(3 * pixels);
    for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<uint8_t>(i * 13);

    // For reference: copying every byte of the rows one step touches.  A
    // step must bring in all of those rows' memory, since its pixels lie
    // 15 bytes apart, closer than a cache line.
    std::vector<uint8_t> rowsFrom(size), rowsTo(size);

    double bestStep = 1e9, bestCopy = 1e9, bestRows = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        // All 25 distinct steps, so every row and column offset is measured.
        for (unsigned s = 0; s < 25; ++s) {
            auto t0 = Clock::now();
            dot_transition::ApplyStep(s, PixelsOf(target), PixelsOf(shown));
            auto t1 = Clock::now();
            CopyPixels(from.data(), to.data(), dot_transition::PixelsPerStep(s, kWidth, kHeight));
            auto t2 = Clock::now();
            const size_t rows = (kHeight - dot_transition::kOffsets[s].dy + 4) / 5;
            const size_t rowLength = CDIBitmap::RowLength(kWidth);
            for (size_t r = 0; r < rows; ++r)
                std::memcpy(&rowsTo[r * 5 * rowLength], &rowsFrom[r * 5 * rowLength], rowLength);
            auto t3 = Clock::now();
            bestStep = std::min(bestStep, Seconds(t0, t1));
            bestCopy = std::min(bestCopy, Seconds(t1, t2));
            bestRows = std::min(bestRows, Seconds(t2, t3));
        }
    }
    // The work was done: after the full pattern the two images agree.
    if (!std::equal(shown.m_pBits, shown.m_pBits + size, target.m_pBits) || to[3] != from[3]) {
        std::fprintf(stderr, "benchmark run went wrong\n");
        return 1;
    }
    std::printf("dot step, %dx%d (%zu pixels): step %.1f us, bare copy %.1f us, ratio %.2fx (goal 1.5x or less)\n",
                kWidth, kHeight, pixels, bestStep * 1e6, bestCopy * 1e6, bestStep / bestCopy);
    std::printf("reference: copying the whole rows a step touches %.1f us, ratio to the step %.2fx\n",
                bestRows * 1e6, bestStep / bestRows);
    return 0;
}
