#pragma once
// The pixel work of the plug-in that needs no Windows: sizes of a 24-bit
// bottom-up DIB, turning a photo upright, and flattening transparency.
// Standard C++ only, so it also runs under the sanitizers.
#include <cstddef>
#include <cstdint>

// Largest pixel block the plug-in asks for.  A 32-bit process rarely finds
// more free address space in one piece; a picture that needs more gets the
// out-of-memory code before any work is done.
constexpr uint64_t kMaxPixelBytes = 1024ull * 1024 * 1024;

// Bytes in one 24-bit row, padded to 4.
size_t DibStride(uint32_t width);
// stride * height, or false when zero-sized or beyond kMaxPixelBytes.
bool DibBytes(uint32_t width, uint32_t height, size_t* bytes);

// Width and height of the picture as shown, after EXIF orientation 1..8
// (5 to 8 swap the sides).
void OrientedSize(int orientation, uint32_t width, uint32_t height, uint32_t* shownWidth, uint32_t* shownHeight);

// Copies a top-down 24-bit picture (width x height, srcStride bytes a row)
// into a bottom-up DIB of the shown size, turned as `orientation` asks.
void WriteOriented(const uint8_t* src, size_t srcStride, uint32_t width, uint32_t height, int orientation,
                   uint8_t* dib, size_t dibStride);

// One row of 32-bit BGRA pixels (straight alpha) laid over black into
// 24-bit BGR: each channel times alpha / 255, rounded.
void CompositeOnBlack(const uint8_t* bgra, uint32_t width, uint8_t* bgr);

// One row of 1, 2, 4 or 8-bit palette indices (most significant bits
// first) into 24-bit BGR through `palette` (256 entries, 0xAARRGGBB).
// With `withAlpha` the colours are laid over black as above.
void ExpandIndexedRow(const uint8_t* packed, uint32_t width, int bitsPerPixel, const uint32_t* palette,
                      bool withAlpha, uint8_t* bgr);
