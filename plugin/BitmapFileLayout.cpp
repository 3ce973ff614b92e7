#include "plugin/BitmapFileLayout.h"

#include <cstdint>

#include "framework/ByteReader.h"

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int64_t kMaxSide = 32768;
// The header's compression values (BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS).
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitfields = 3;

// The header sizes the format defines: the core header, the info header and
// its V2 to V5 successors (which hold the colour masks themselves).
bool IsDefinedHeaderSize(uint32_t size) {
    switch (size) {
    case kCoreHeaderSize: case kInfoHeaderSize: case 52: case 56: case 108: case 124: return true;
    default: return false;
    }
}

bool DepthTakes(uint16_t bits, uint32_t compression, int32_t height) {
    switch (compression) {
    case kCompressionRgb: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kCompressionBitfields: return bits == 16 || bits == 32;
    case kCompressionRle8: return bits == 8 && height > 0;  // run-length pictures are bottom-up only
    case kCompressionRle4: return bits == 4 && height > 0;
    default: return false;
    }
}
}  // namespace

size_t BitmapFilePixelsAt(const unsigned char* file, size_t size) {
    ByteReader r(file, size);
    if (r.U8() != 'B' || r.U8() != 'M') return 0;
    r.Skip(8);
    const uint32_t pixelsAt = r.U32();
    const uint32_t headerSize = r.U32();
    if (!IsDefinedHeaderSize(headerSize)) return 0;
    int64_t width = 0, height = 0;
    uint16_t planes = 0, bits = 0;
    uint32_t compression = kCompressionRgb, sizeImage = 0, clrUsed = 0;
    uint64_t entryBytes = 4, masksBytes = 0;
    if (headerSize == kCoreHeaderSize) {
        width = r.U16();
        height = r.U16();
        planes = r.U16();
        bits = r.U16();
        entryBytes = 3;
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return 0;  // the core header's only depths
    } else {
        width = r.I32();
        height = r.I32();
        planes = r.U16();
        bits = r.U16();
        compression = r.U32();
        sizeImage = r.U32();
        r.Skip(8);  // resolution
        clrUsed = r.U32();
        // A 40-byte header is followed by the three colour masks; larger ones hold them.
        if (compression == kCompressionBitfields && headerSize == kInfoHeaderSize) masksBytes = 12;
    }
    // Sums of file fields in 64 bits: a 32-bit size_t would wrap.
    const uint64_t headerEnd = uint64_t{kFileHeaderSize} + headerSize;
    if (r.failed() || headerEnd > size) return 0;
    if (width <= 0 || width > kMaxSide || height == 0 || height > kMaxSide || height < -kMaxSide) return 0;
    // Forms the system refuses are refused here: the system then refuses a
    // file this check passes only for lack of memory.
    if (planes != 1 || !DepthTakes(bits, compression, static_cast<int32_t>(height))) return 0;
    // The system reads every colour the header states, more than the depth uses too.
    const uint64_t colors = clrUsed != 0 ? clrUsed : bits <= 8 ? uint64_t{1} << bits : 0;
    const uint64_t tableEnd = headerEnd + masksBytes + colors * entryBytes;
    if (tableEnd > size) return 0;
    // Some writers leave the pixel offset 0: the pixels then follow the table.
    const uint64_t at = (pixelsAt >= tableEnd && pixelsAt < size) ? pixelsAt : tableEnd;
    uint64_t needed;
    if (compression == kCompressionRle8 || compression == kCompressionRle4) {
        needed = sizeImage;  // the run-length data is read up to its stated size
        if (needed == 0) return 0;
    } else {
        uint64_t rows = height < 0 ? static_cast<uint64_t>(-height) : static_cast<uint64_t>(height);
        needed = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4 * rows;
    }
    if (at >= size || needed > size - at) return 0;
    return static_cast<size_t>(at);
}
