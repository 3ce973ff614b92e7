// The picture size read from a header before decoding.
#include <gtest/gtest.h>

#include <string>

#include "spi/wic/DeclaredSize.h"

namespace {
bool Size(const std::string& b, uint32_t* w, uint32_t* h) {
    return DeclaredSize(reinterpret_cast<const uint8_t*>(b.data()), b.size(), w, h);
}
std::string Be(uint32_t v, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i) s.push_back(char((v >> (8 * i)) & 0xFF));
    return s;
}
std::string Le(uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
    return s;
}
}  // namespace

TEST(DeclaredSize, PngJpegAndBmpHeaders) {
    uint32_t w = 0, h = 0;
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + Be(13, 4) + "IHDR" + Be(40000, 4) + Be(30000, 4) +
                      std::string(9, '\0');
    ASSERT_TRUE(Size(png, &w, &h));
    EXPECT_EQ(40000u, w);
    EXPECT_EQ(30000u, h);

    // SOI, an APP0 segment, a DHT segment (C4, not a frame), then SOF2.
    std::string jpeg = std::string("\xFF\xD8\xFF\xE0", 4) + Be(16, 2) + std::string(14, 'j') +
                       std::string("\xFF\xC4", 2) + Be(4, 2) + "hh" + std::string("\xFF\xC2", 2) + Be(17, 2) +
                       "\x08" + Be(2160, 2) + Be(3840, 2) + std::string(10, '\0');
    ASSERT_TRUE(Size(jpeg, &w, &h));
    EXPECT_EQ(3840u, w);
    EXPECT_EQ(2160u, h);

    std::string bmp = "BM" + std::string(12, '\0') + Le(40, 4) + Le(640, 4) + Le(uint32_t(-480), 4) + std::string(30, '\0');
    ASSERT_TRUE(Size(bmp, &w, &h));
    EXPECT_EQ(640u, w);
    EXPECT_EQ(480u, h);  // top-down rows count the same
}

TEST(DeclaredSize, UnreadableHeadersGiveNothing) {
    uint32_t w = 0, h = 0;
    EXPECT_FALSE(Size("", &w, &h));
    EXPECT_FALSE(Size(std::string(64, 'x'), &w, &h));
    // A JPEG whose segment length runs past the end, and one with the data before any frame.
    EXPECT_FALSE(Size(std::string("\xFF\xD8\xFF\xE0\xFF\xF0", 6) + std::string(30, '\0'), &w, &h));
    EXPECT_FALSE(Size(std::string("\xFF\xD8\xFF\xDA\x00\x04", 6) + std::string(30, '\0'), &w, &h));
    // A BMP with the old 12-byte header, and one with a negative width.
    EXPECT_FALSE(Size("BM" + std::string(12, '\0') + Le(12, 4) + std::string(30, '\0'), &w, &h));
    EXPECT_FALSE(Size("BM" + std::string(12, '\0') + Le(40, 4) + Le(uint32_t(-5), 4) + Le(5, 4) + std::string(20, '\0'), &w, &h));
    // Every cut of a JPEG header is read safely.
    std::string jpeg = std::string("\xFF\xD8\xFF\xC0", 4) + Be(17, 2) + "\x08" + Be(20, 2) + Be(30, 2) + std::string(30, '\0');
    for (size_t cut = 0; cut <= jpeg.size(); ++cut) Size(jpeg.substr(0, cut), &w, &h);
    ASSERT_TRUE(Size(jpeg, &w, &h));
    EXPECT_EQ(30u, w);
}
