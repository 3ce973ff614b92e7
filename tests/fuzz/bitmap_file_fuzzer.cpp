// Feeds arbitrary bytes to the bitmap-file check.  Whenever it gives a pixel
// offset, every byte the system reads to make the display bitmap must lie
// inside the file; that is worked out here again from the format alone, in
// 128-bit arithmetic, without the check's own sums.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "plugin/BitmapFileLayout.h"

namespace {
using Wide = unsigned __int128;

struct File {
    const uint8_t* data;
    size_t size;

    void Inside(Wide end) const {
        if (end > size) std::abort();
    }
    // A little-endian field; it must lie inside, like everything else read.
    uint32_t Field(Wide at, int bytes) const {
        Inside(at + bytes);
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(data[static_cast<size_t>(at) + i]) << (8 * i);
        return v;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that AddressSanitizer catches a read past the end.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    const size_t pixelsAt = BitmapFilePixelsAt(copy.get(), size);
    if (pixelsAt == 0) return 0;

    const File file{data, size};
    file.Inside(14);  // the file header
    const Wide headerSize = file.Field(14, 4);
    const bool core = headerSize == 12;
    // The system reads the header of its stated size, and at least the
    // 40-byte form of any header that is not the core one.
    if (!core && headerSize < 40) std::abort();
    const Wide headerEnd = 14 + headerSize;
    file.Inside(headerEnd);

    Wide width, rows, bits, compression = 0, sizeImage = 0, clrUsed = 0;
    if (core) {
        width = file.Field(18, 2);
        rows = file.Field(20, 2);
        bits = file.Field(24, 2);
    } else {
        width = static_cast<uint32_t>(std::abs(static_cast<int64_t>(static_cast<int32_t>(file.Field(18, 4)))));
        rows = static_cast<uint32_t>(std::abs(static_cast<int64_t>(static_cast<int32_t>(file.Field(22, 4)))));
        bits = file.Field(28, 2);
        compression = file.Field(30, 4);
        sizeImage = file.Field(34, 4);
        clrUsed = file.Field(46, 4);
    }
    // Three colour masks follow a 40-byte header (four for BI_ALPHABITFIELDS);
    // the larger headers hold them.
    Wide masksEnd = headerEnd;
    if (compression == 3 && masksEnd < 14 + 40 + 12) masksEnd = 14 + 40 + 12;
    if (compression == 6 && masksEnd < 14 + 40 + 16) masksEnd = 14 + 40 + 16;
    file.Inside(masksEnd);
    // Every colour the header states, else a full table up to 8 bits.
    const Wide colours = clrUsed != 0 ? clrUsed : bits <= 8 ? Wide(1) << static_cast<int>(bits) : 0;
    const Wide tableEnd = masksEnd + colours * (core ? 3 : 4);
    file.Inside(tableEnd);
    if (pixelsAt < tableEnd) std::abort();  // pixels taken from inside the header or table

    const bool runLength = compression == 1 || compression == 2;
    const Wide pixelBytes = runLength ? sizeImage : (width * bits + 31) / 32 * 4 * rows;
    file.Inside(pixelsAt + pixelBytes);
    return 0;
}
