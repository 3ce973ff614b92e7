#pragma once
// Test pictures: BMP files made on the spot, and reading pictures back.
#include <windows.h>

#include <cstdint>
#include <string>

// Writes a 24-bit BMP file whose pixel (x, y) is colour(x, y) (0xRRGGBB).
void WriteTestBitmap(const std::string& path, int width, int height, uint32_t (*colour)(int x, int y));
uint32_t Gradient(int x, int y);
uint32_t SolidRed(int x, int y);
// Size of a bitmap (0, 0 when none).
SIZE BitmapSize(HBITMAP bitmap);
// The colour (0xRRGGBB) of pixel (x, y) of a bitmap.
uint32_t BitmapPixel(HBITMAP bitmap, int x, int y);
