#include "plugin/SusieBlocks.h"

#include <cstring>

#include "framework/ByteReader.h"

namespace {
// Field offsets of BITMAPINFOHEADER.
constexpr size_t kOffBitCount = 14;
constexpr size_t kOffClrUsed = 32;

void PutU32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutU16(std::vector<uint8_t>* out, size_t at, uint16_t v) {
    (*out)[at] = static_cast<uint8_t>(v);
    (*out)[at + 1] = static_cast<uint8_t>(v >> 8);
}

bool DepthFits(uint16_t bits, uint32_t compression) {
    switch (bits) {
    case 1: case 4: case 8: case 24:
        return compression == kBiRgb;
    case 16: case 32:
        return compression == kBiRgb || compression == kBiBitfields;
    default:
        return false;
    }
}

std::string FixedText(const uint8_t* field) {
    const void* zero = std::memchr(field, 0, kFileInfoTextSize);
    size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - field) : kFileInfoTextSize;
    return std::string(reinterpret_cast<const char*>(field), n);
}
}  // namespace

DibCheck CheckDibBlocks(const void* info, size_t infoSize, size_t pixelSize, DibLayout* layout) {
    *layout = DibLayout();
    if (!info || infoSize < kBitmapInfoHeaderSize) return DibCheck::HeaderTooSmall;
    ByteReader header(info, infoSize);
    uint32_t headerSize = header.U32();
    int32_t width = header.I32();
    int32_t height = header.I32();
    header.U16();  // planes
    uint16_t bits = header.U16();
    uint32_t compression = header.U32();
    header.Skip(kOffClrUsed - 20);
    uint32_t clrUsed = header.U32();
    if (header.failed() || headerSize < kBitmapInfoHeaderSize) return DibCheck::HeaderTooSmall;
    if (headerSize > infoSize) return DibCheck::HeaderOutsideBlock;
    if (width <= 0 || width > kMaxPictureSide || height == 0 || height < -kMaxPictureSide ||
        height > kMaxPictureSide)
        return DibCheck::BadSize;
    if (!DepthFits(bits, compression)) return DibCheck::BadFormat;

    // The masks follow a 40-byte header; larger headers carry them inside.
    size_t tableAt = headerSize;
    uint32_t masks[3] = {0, 0, 0};
    if (compression == kBiBitfields) {
        size_t masksAt = kBitmapInfoHeaderSize;
        if (masksAt + 12 > infoSize) return DibCheck::TableOutsideBlock;
        ByteReader m(static_cast<const uint8_t*>(info) + masksAt, 12);
        for (uint32_t& mask : masks) mask = m.U32();
        if (headerSize == kBitmapInfoHeaderSize) tableAt += 12;
    }
    // Only palette pictures need their table; a larger biClrUsed is cut to
    // what the depth can index.
    uint32_t colors = 0;
    if (bits <= 8) {
        uint32_t most = 1u << bits;
        colors = (clrUsed == 0 || clrUsed > most) ? most : clrUsed;
        if (colors * 4ull > infoSize - tableAt) return DibCheck::TableOutsideBlock;
    }

    uint64_t rows = height < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(height)) : static_cast<uint64_t>(height);
    uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    uint64_t needed = stride * rows;
    if (needed > pixelSize) return DibCheck::PixelsShort;

    layout->width = width;
    layout->height = height;
    layout->bitCount = bits;
    layout->compression = compression;
    layout->colorCount = colors;
    layout->stride = static_cast<size_t>(stride);
    layout->pixelBytes = static_cast<size_t>(needed);

    size_t masksBytes = compression == kBiBitfields ? 12 : 0;
    std::vector<uint8_t>& out = layout->info;
    out.assign(kBitmapInfoHeaderSize + masksBytes + colors * 4, 0);
    PutU32(&out, 0, static_cast<uint32_t>(kBitmapInfoHeaderSize));
    PutU32(&out, 4, static_cast<uint32_t>(width));
    PutU32(&out, 8, static_cast<uint32_t>(height));
    PutU16(&out, 12, 1);
    PutU16(&out, kOffBitCount, bits);
    PutU32(&out, 16, compression);
    PutU32(&out, 20, static_cast<uint32_t>(needed));
    PutU32(&out, kOffClrUsed, colors);
    for (int i = 0; i < 3 && masksBytes; ++i) PutU32(&out, kBitmapInfoHeaderSize + 4 * i, masks[i]);
    if (colors)
        std::memcpy(out.data() + kBitmapInfoHeaderSize + masksBytes, static_cast<const uint8_t*>(info) + tableAt,
                    colors * 4);
    return DibCheck::Ok;
}

size_t FileInfoFieldBytes(FileInfoLayout layout) {
    return layout == FileInfoLayout::Bits64 ? kFileInfoPackedSize64 : kFileInfoSize;
}

bool ParseFileInfoRecord(const void* data, size_t size, FileInfoLayout layout, SusieFileRecord* record) {
    const size_t numberSize = layout == FileInfoLayout::Bits64 ? 8 : 4;
    ByteReader r(data, size);
    const uint8_t* whole = r.Peek(FileInfoFieldBytes(layout));
    if (!whole) return false;
    SusieFileRecord rec;
    r.Bytes(rec.method, sizeof(rec.method));
    uint64_t* numbers[] = {&rec.position, &rec.packedSize, &rec.unpackedSize, &rec.timestamp};
    for (uint64_t* n : numbers) {
        uint64_t low = r.U32();
        uint64_t high = numberSize == 8 ? r.U32() : 0;
        *n = low | (high << 32);
    }
    const size_t textAt = sizeof(rec.method) + 4 * numberSize;
    rec.directory = FixedText(whole + textAt);
    rec.fileName = FixedText(whole + textAt + kFileInfoTextSize);
    r.Skip(2 * kFileInfoTextSize);
    rec.crc = r.U32();
    if (r.failed()) return false;
    *record = std::move(rec);
    return true;
}

namespace {
// What walking a block at one stride finds.
struct RunShape {
    bool terminated = false;  // a record with a zero first method byte inside the block
    bool sound = true;        // every record before it looks like one
    size_t count = 0;
};

// A method is printable ASCII up to its first zero.  Names end within their
// 200 bytes.  A record read at the wrong stride starts inside another
// record's numbers or names, which rarely passes both.
bool LooksLikeRecord(const uint8_t* record, size_t textAt) {
    for (size_t i = 0; i < 8 && record[i] != 0; ++i) {
        if (record[i] < 0x20 || record[i] > 0x7E) return false;
    }
    return std::memchr(record + textAt, 0, kFileInfoTextSize) != nullptr &&
           std::memchr(record + textAt + kFileInfoTextSize, 0, kFileInfoTextSize) != nullptr;
}

RunShape WalkRun(const uint8_t* bytes, size_t size, size_t stride, size_t fieldBytes, size_t textAt) {
    RunShape shape;
    for (size_t at = 0; at < size; at += stride) {
        if (bytes[at] == 0) {
            shape.terminated = true;
            return shape;
        }
        if (size - at < fieldBytes) return shape;
        if (!LooksLikeRecord(bytes + at, textAt)) shape.sound = false;
        ++shape.count;
    }
    return shape;
}
}  // namespace

size_t FileInfoStride(const void* data, size_t size, FileInfoLayout layout) {
    if (layout != FileInfoLayout::Bits64) return kFileInfoSize;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (!bytes || size == 0) return kFileInfoPackedSize64;
    const size_t textAt = 8 + 4 * 8;
    RunShape packed = WalkRun(bytes, size, kFileInfoPackedSize64, kFileInfoPackedSize64, textAt);
    RunShape padded = WalkRun(bytes, size, kFileInfoPaddedSize64, kFileInfoPackedSize64, textAt);
    const bool packedDivides = size % kFileInfoPackedSize64 == 0;
    const bool paddedDivides = size % kFileInfoPaddedSize64 == 0;
    if (packed.sound && padded.sound) {
        // Read at the wrong stride, a run soon meets a zero byte that passes
        // for the terminator: the longer run is the real one.
        if (packed.count != padded.count)
            return padded.count > packed.count ? kFileInfoPaddedSize64 : kFileInfoPackedSize64;
        if (packed.terminated != padded.terminated)
            return padded.terminated ? kFileInfoPaddedSize64 : kFileInfoPackedSize64;
        return paddedDivides && !packedDivides ? kFileInfoPaddedSize64 : kFileInfoPackedSize64;
    }
    if (packed.sound || padded.sound) return packed.sound ? kFileInfoPackedSize64 : kFileInfoPaddedSize64;
    // Neither run is sound: the size decides, and the parse reports what it finds.
    if (paddedDivides != packedDivides) return paddedDivides ? kFileInfoPaddedSize64 : kFileInfoPackedSize64;
    if (padded.terminated && !packed.terminated) return kFileInfoPaddedSize64;
    return kFileInfoPackedSize64;
}

FileInfoRun ParseFileInfoRun(const void* data, size_t size, FileInfoLayout layout,
                             std::vector<SusieFileRecord>* records) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (!bytes) return FileInfoRun::Unterminated;
    const size_t stride = FileInfoStride(data, size, layout);
    for (size_t at = 0; at < size; at += stride) {
        if (bytes[at] == 0) return FileInfoRun::Complete;
        SusieFileRecord rec;
        if (!ParseFileInfoRecord(bytes + at, size - at, layout, &rec)) return FileInfoRun::Unterminated;
        records->push_back(std::move(rec));
    }
    return FileInfoRun::Unterminated;
}
