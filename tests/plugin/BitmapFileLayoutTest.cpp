// Where a bitmap file's pixels start, and which files are refused before the
// system reads them.  Natively under AddressSanitizer every file is a heap
// block of exactly its size, so a read past it is caught.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "plugin/BitmapFileLayout.h"

namespace {
void Put(std::vector<uint8_t>* b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A file laid out without gaps: file header, a header of `headerSize` bytes
// (core fields for 12, info fields otherwise), `tableBytes` of masks and
// colours, then `pixelBytes`; the offset field points at the pixels.
std::vector<uint8_t> File(uint32_t headerSize, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                          uint32_t clrUsed, size_t tableBytes, size_t pixelBytes) {
    const size_t pixelsAt = 14 + headerSize + tableBytes;
    std::vector<uint8_t> b(pixelsAt + pixelBytes, 0);
    b[0] = 'B', b[1] = 'M';
    Put(&b, 10, static_cast<uint32_t>(pixelsAt), 4);
    Put(&b, 14, headerSize, 4);
    const int side = headerSize == 12 ? 2 : 4;
    Put(&b, 18, static_cast<uint32_t>(width), side);
    Put(&b, 18 + side, static_cast<uint32_t>(height), side);
    Put(&b, 18 + 2 * side, 1, 2);  // planes
    Put(&b, 20 + 2 * side, bits, 2);
    if (headerSize >= 40) {
        Put(&b, 30, compression, 4);
        Put(&b, 34, static_cast<uint32_t>(pixelBytes), 4);  // the run-length data's size
        Put(&b, 46, clrUsed, 4);
    }
    return b;
}

size_t PixelsAt(const std::vector<uint8_t>& bytes, size_t size) {
    std::unique_ptr<unsigned char[]> exact(new unsigned char[size ? size : 1]);
    if (size) std::memcpy(exact.get(), bytes.data(), size);
    return BitmapFilePixelsAt(exact.get(), size);
}
size_t PixelsAt(const std::vector<uint8_t>& bytes) { return PixelsAt(bytes, bytes.size()); }
}  // namespace

TEST(BitmapFileLayout, EveryHeaderTheFormatDefinesIsReadAndNoShorterFileIsTaken) {
    const struct { const char* form; uint32_t header; uint16_t bits; uint32_t compression, clrUsed; size_t table, pixels; }
        forms[] = {
            {"core, 8-bit, 3-byte colours", 12, 8, 0, 0, 256 * 3, 4 * 2},
            {"info, 24-bit", 40, 24, 0, 0, 0, 12 * 2},
            {"info, 4-bit, 5 colours", 40, 4, 0, 5, 5 * 4, 4 * 2},
            {"info, 16-bit, masks after the header", 40, 16, 3, 0, 12, 8 * 2},
            {"V2, masks inside", 52, 32, 3, 0, 0, 12 * 2},
            {"V3", 56, 32, 3, 0, 0, 12 * 2},
            {"V4", 108, 32, 3, 0, 0, 12 * 2},
            {"V5", 124, 32, 3, 0, 0, 12 * 2},
            {"info, RLE8", 40, 8, 1, 0, 256 * 4, 6},
        };
    for (const auto& f : forms) {
        const std::vector<uint8_t> bytes = File(f.header, 3, 2, f.bits, f.compression, f.clrUsed, f.table, f.pixels);
        EXPECT_EQ(14 + f.header + f.table, PixelsAt(bytes)) << f.form;
        for (size_t shorter = 0; shorter < bytes.size(); ++shorter)
            ASSERT_EQ(0u, PixelsAt(bytes, shorter)) << f.form << ", cut to " << shorter << " bytes";
    }
}

TEST(BitmapFileLayout, HeaderSizesTheFormatDoesNotDefineAreRefused) {
    // Each file holds a header of the stated size, its masks and its pixels.
    for (uint32_t header : {0u, 11u, 13u, 39u, 41u, 44u, 51u, 53u, 64u, 123u, 125u, 200u}) {
        const std::vector<uint8_t> bytes = File(header, 1, 1, 16, 3, 0, 12, 4);
        EXPECT_EQ(0u, PixelsAt(bytes)) << header;
    }
    // A header of about 4 GiB in a 53-byte file: 14 plus the size wraps in
    // 32 bits to below the file's size.
    for (uint32_t header : {0xFFFFFFFFu, 0xFFFFFFF2u}) {
        std::vector<uint8_t> bytes = File(40, 1, 1, 1, 0, 0, 2 * 4, 4);
        Put(&bytes, 14, header, 4);
        Put(&bytes, 10, 21, 4);
        EXPECT_EQ(0u, PixelsAt(bytes, 53)) << header;
    }
}

TEST(BitmapFileLayout, ColoursAndFieldsTheSystemWouldReadOrRefuseAreChecked) {
    // Every colour biClrUsed states is read, more than the depth has too.
    EXPECT_EQ(0u, PixelsAt(File(40, 3, 2, 4, 0, 256, 16 * 4, 4 * 2)));
    EXPECT_EQ(14u + 40 + 256 * 4, PixelsAt(File(40, 3, 2, 4, 0, 256, 256 * 4, 4 * 2)));
    EXPECT_EQ(0u, PixelsAt(File(40, 3, 2, 24, 0, 2, 0, 12 * 2)));
    // Formats the system refuses, which would otherwise pass for its lack of memory.
    std::vector<uint8_t> noPlanes = File(40, 3, 2, 24, 0, 0, 0, 12 * 2);
    Put(&noPlanes, 26, 0, 2);
    EXPECT_EQ(0u, PixelsAt(noPlanes));
    EXPECT_EQ(0u, PixelsAt(File(12, 3, 2, 16, 0, 0, 0, 8 * 2))) << "a core header has no 16-bit form";
    EXPECT_EQ(0u, PixelsAt(File(40, 3, -2, 8, 1, 0, 256 * 4, 6))) << "run-length rows go bottom-up";
}
