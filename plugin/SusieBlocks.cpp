#include "plugin/SusieBlocks.h"

#include <cstring>

#include "util/ByteReader.h"

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

bool ParseFileInfoRecord(const void* data, size_t size, SusieFileRecord* record) {
    ByteReader r(data, size);
    const uint8_t* whole = r.Peek(kFileInfoSize);
    if (!whole) return false;
    SusieFileRecord rec;
    r.Bytes(rec.method, sizeof(rec.method));
    rec.position = r.U32();
    rec.packedSize = r.U32();
    rec.unpackedSize = r.U32();
    rec.timestamp = r.U32();
    rec.directory = FixedText(whole + 24);
    rec.fileName = FixedText(whole + 24 + kFileInfoTextSize);
    r.Skip(2 * kFileInfoTextSize);
    rec.crc = r.U32();
    if (r.failed()) return false;
    *record = std::move(rec);
    return true;
}

FileInfoRun ParseFileInfoRun(const void* data, size_t size, std::vector<SusieFileRecord>* records) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (!bytes) return FileInfoRun::Unterminated;
    for (size_t at = 0; at < size; at += kFileInfoSize) {
        if (bytes[at] == 0) return FileInfoRun::Complete;
        SusieFileRecord rec;
        if (!ParseFileInfoRecord(bytes + at, size - at, &rec)) return FileInfoRun::Unterminated;
        records->push_back(std::move(rec));
    }
    return FileInfoRun::Unterminated;
}
