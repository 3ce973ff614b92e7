#include "PixelRows.h"

#include <cstring>

size_t DibStride(uint32_t width) { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }

bool DibBytes(uint32_t width, uint32_t height, size_t* bytes) {
    if (width == 0 || height == 0) return false;
    uint64_t stride = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    uint64_t total = stride * height;  // both below 2^34 and 2^32: no overflow
    if (total > kMaxPixelBytes || total > SIZE_MAX) return false;
    *bytes = static_cast<size_t>(total);
    return true;
}

void OrientedSize(int orientation, uint32_t width, uint32_t height, uint32_t* shownWidth, uint32_t* shownHeight) {
    bool swap = orientation >= 5 && orientation <= 8;
    *shownWidth = swap ? height : width;
    *shownHeight = swap ? width : height;
}

void WriteOriented(const uint8_t* src, size_t srcStride, uint32_t width, uint32_t height, int orientation,
                   uint8_t* dib, size_t dibStride) {
    uint32_t shownWidth, shownHeight;
    OrientedSize(orientation, width, height, &shownWidth, &shownHeight);
    const ptrdiff_t row = static_cast<ptrdiff_t>(srcStride);
    auto at = [&](size_t x, size_t y) { return src + y * srcStride + x * 3; };
    for (uint32_t Y = 0; Y < shownHeight; ++Y) {
        // Where shown row Y starts in the stored picture, and the step from
        // one shown pixel to the next.
        const uint8_t* from;
        ptrdiff_t step;
        switch (orientation) {
        case 2: from = at(width - 1, Y); step = -3; break;
        case 3: from = at(width - 1, height - 1 - Y); step = -3; break;
        case 4: from = at(0, height - 1 - Y); step = 3; break;
        case 5: from = at(Y, 0); step = row; break;
        case 6: from = at(Y, height - 1); step = -row; break;
        case 7: from = at(width - 1 - Y, height - 1); step = -row; break;
        case 8: from = at(width - 1 - Y, 0); step = row; break;
        default: from = at(0, Y); step = 3; break;
        }
        uint8_t* to = dib + static_cast<size_t>(shownHeight - 1 - Y) * dibStride;
        if (step == 3) {
            std::memcpy(to, from, static_cast<size_t>(shownWidth) * 3);
            continue;
        }
        for (uint32_t X = 0; X < shownWidth; ++X, from += step, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
}

void CompositeOnBlack(const uint8_t* bgra, uint32_t width, uint8_t* bgr) {
    for (uint32_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        unsigned a = bgra[3];
        for (int c = 0; c < 3; ++c) bgr[c] = static_cast<uint8_t>((bgra[c] * a + 127) / 255);
    }
}

void ExpandIndexedRow(const uint8_t* packed, uint32_t width, int bitsPerPixel, const uint32_t* palette,
                      bool withAlpha, uint8_t* bgr) {
    const unsigned perByte = 8u / static_cast<unsigned>(bitsPerPixel);
    const unsigned mask = (1u << bitsPerPixel) - 1;
    for (uint32_t x = 0; x < width; ++x, bgr += 3) {
        unsigned shift = 8u - static_cast<unsigned>(bitsPerPixel) * (x % perByte + 1);
        uint32_t c = palette[(packed[x / perByte] >> shift) & mask];
        unsigned a = withAlpha ? c >> 24 : 255;
        for (int k = 0; k < 3; ++k) {
            unsigned v = (c >> (8 * k)) & 0xFF;
            bgr[k] = static_cast<uint8_t>(a == 255 ? v : (v * a + 127) / 255);
        }
    }
}
