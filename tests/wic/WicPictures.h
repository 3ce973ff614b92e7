#pragma once
// Test pictures for the imaging plug-in, made on the spot from known pixels
// with the imaging component's own encoders (PNG, GIF, TIFF, BMP, JPEG), and
// EXIF orientation written into a JPEG or PNG by hand.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Pixels as 0xAARRGGBB, rows top-down.
struct TestImage {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};
TestImage MakeImage(int width, int height, uint32_t (*colour)(int x, int y));

// A pattern of sixteen flat colours in 4 x 3 blocks (fits a GIF palette).
uint32_t Blocks16(int x, int y);
// Smooth colours that survive JPEG well.
uint32_t Smooth(int x, int y);
// Four flat quarters, different in each corner: red, green / blue, white.
uint32_t Quarters(int x, int y);
constexpr int kQuartersWidth = 64, kQuartersHeight = 32;

enum class Container { Png, Jpeg, Gif, Tiff, Bmp };
const char* ContainerName(Container c);

// The encoded file; empty on failure.  withAlpha keeps the alpha byte (PNG).
std::string EncodePicture(Container container, const TestImage& image, bool withAlpha = false);

// A JPEG with an APP1 "Exif" segment holding orientation `value`, put right
// after the start marker.  `bigEndian` picks the Motorola byte order.
std::string WithJpegOrientation(const std::string& jpeg, int value, bool bigEndian = false);
// A PNG with an eXIf chunk holding orientation `value`, before its pixel data.
std::string WithPngOrientation(const std::string& png, int value);
