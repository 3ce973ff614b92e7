// Finding the recorded orientation in picture bytes, including bytes that lie.
#include <gtest/gtest.h>

#include <string>

#include "spi/wic/ExifOrientation.h"

namespace {
std::string Tiff(int value, bool bigEndian, uint16_t type = 3, uint16_t entries = 2) {
    auto u16 = [&](uint16_t v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)} : std::string{char(v & 0xFF), char(v >> 8)};
    };
    auto u32 = [&](uint32_t v) {
        return bigEndian ? u16(uint16_t(v >> 16)) + u16(uint16_t(v)) : u16(uint16_t(v)) + u16(uint16_t(v >> 16));
    };
    std::string t = std::string(bigEndian ? "MM" : "II") + u16(42) + u32(8) + u16(entries);
    t += u16(256) + u16(3) + u32(1) + u16(640) + u16(0);  // another tag first
    t += u16(274) + u16(type) + u32(1) + u16(uint16_t(value)) + u16(0);
    return t + u32(0);
}

std::string Segment(unsigned char marker, const std::string& body) {
    size_t n = body.size() + 2;
    return std::string{char(0xFF), char(marker), char(n >> 8), char(n & 0xFF)} + body;
}

std::string Jpeg(const std::string& tiff) {
    return std::string("\xFF\xD8", 2) + Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)) +
           Segment(0xE1, std::string("Exif\0\0", 6) + tiff) + Segment(0xDB, std::string(65, '\1')) +
           std::string("\xFF\xDA\0\2", 4);
}

int Find(const std::string& b) { return FindOrientation(reinterpret_cast<const uint8_t*>(b.data()), b.size()); }
}  // namespace

TEST(ExifOrientation, FoundInJpegAndTiffInBothByteOrders) {
    for (int v = 1; v <= 8; ++v) {
        EXPECT_EQ(v, Find(Jpeg(Tiff(v, false)))) << v;
        EXPECT_EQ(v, Find(Jpeg(Tiff(v, true)))) << v;
        EXPECT_EQ(v, Find(Tiff(v, true) + std::string(100, '\0'))) << v;
    }
}

TEST(ExifOrientation, PngAndWebpChunks) {
    std::string tiff = Tiff(6, true);
    auto be32 = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + std::string(13, '\1') + be32(0) +
                      be32(uint32_t(tiff.size())) + "eXIf" + tiff + be32(0) + be32(0) + "IEND" + be32(0);
    EXPECT_EQ(6, Find(png));
    std::string le = std::string{char(tiff.size()), 0, 0, 0};
    std::string webp = "RIFF" + std::string(4, '\0') + "WEBPVP8X" + std::string("\x0a\0\0\0", 4) +
                       std::string(10, '\0') + "EXIF" + le + tiff;
    EXPECT_EQ(6, Find(webp));
}

TEST(ExifOrientation, AnythingUnreadableIsUpright) {
    EXPECT_EQ(1, Find(""));
    EXPECT_EQ(1, Find(Jpeg(Tiff(9, false))));             // out of range
    EXPECT_EQ(1, Find(Jpeg(Tiff(0, false))));
    EXPECT_EQ(1, Find(Jpeg(Tiff(6, false, /*type LONG*/ 4))));
    // A directory claiming 60,000 entries: those past the end are not read.
    std::string many = Tiff(6, false, 3, 60000);
    EXPECT_EQ(6, Find(Jpeg(many)));  // the tag lies inside the bytes
    many[22] = char(275 & 0xFF);     // now it is another tag
    EXPECT_EQ(1, Find(Jpeg(many)));
    std::string j = Jpeg(Tiff(6, false));
    for (size_t cut = 0; cut < j.size(); ++cut) {
        int v = Find(j.substr(0, cut));
        EXPECT_TRUE(v == 1 || v == 6) << cut;
    }
    // A segment length running past the end, and one below its own size.
    EXPECT_EQ(1, Find(std::string("\xFF\xD8\xFF\xE1\xFF\xFF", 6) + "Exif" + std::string(20, '\0')));
    EXPECT_EQ(1, Find(std::string("\xFF\xD8\xFF\xE1\x00\x01", 6) + std::string(20, '\0')));
    // A directory offset pointing outside the structure.
    std::string t = Tiff(6, false);
    t[4] = '\xF0';
    EXPECT_EQ(1, Find(Jpeg(t)));
    // The tag after the picture data does not count.
    std::string late = std::string("\xFF\xD8\xFF\xDA\0\2", 6) + Segment(0xE1, std::string("Exif\0\0", 6) + Tiff(6, false));
    EXPECT_EQ(1, Find(late));
}
