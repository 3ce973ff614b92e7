#include "ExifOrientation.h"

#include <cstring>

#include "framework/ByteReader.h"

namespace {
constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kTypeShort = 3;
// No real JPEG has this many segments before its picture data; a bound keeps
// a hostile file from making the search long.
constexpr int kMaxSegments = 512;
constexpr int kMaxChunks = 4096;

uint16_t Get16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[1] << 8 | p[0]);
}
uint32_t Get32(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                     : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
}
int Valid(int value) { return value >= 1 && value <= 8 ? value : 1; }

int InJpeg(const uint8_t* data, size_t size) {
    ByteReader r(data, size);
    r.Skip(2);  // SOI
    for (int segment = 0; segment < kMaxSegments && !r.failed(); ++segment) {
        const uint8_t* marker = r.Peek(2);
        if (!marker || marker[0] != 0xFF) return 1;
        if (marker[1] == 0xFF) {  // fill byte
            r.Skip(1);
            continue;
        }
        r.Skip(2);
        uint8_t kind = marker[1];
        if (kind == 0xD8 || (kind >= 0xD0 && kind <= 0xD7) || kind == 0x01) continue;  // no length
        if (kind == 0xDA || kind == 0xD9) return 1;  // picture data: EXIF comes before it
        const uint8_t* lengthBytes = r.Peek(2);
        if (!lengthBytes) return 1;
        size_t length = Get16(lengthBytes, true);
        if (length < 2) return 1;
        const uint8_t* body = r.Peek(length);
        if (!body) return 1;
        if (kind == 0xE1 && length >= 2 + 6 && std::memcmp(body + 2, "Exif\0\0", 6) == 0)
            return OrientationInTiff(body + 8, length - 8);
        r.Skip(length);
    }
    return 1;
}

int InPng(const uint8_t* data, size_t size) {
    ByteReader r(data, size);
    r.Skip(8);
    for (int chunk = 0; chunk < kMaxChunks && !r.failed(); ++chunk) {
        const uint8_t* head = r.Peek(8);
        if (!head) return 1;
        uint32_t length = Get32(head, true);
        r.Skip(8);
        const uint8_t* body = r.Peek(length);
        if (!body) return 1;
        if (std::memcmp(head + 4, "eXIf", 4) == 0) return OrientationInTiff(body, length);
        if (std::memcmp(head + 4, "IDAT", 4) == 0 || std::memcmp(head + 4, "IEND", 4) == 0) return 1;
        r.Skip(size_t(length) + 4);  // and the CRC
    }
    return 1;
}

int InWebp(const uint8_t* data, size_t size) {
    ByteReader r(data, size);
    r.Skip(12);  // RIFF, size, WEBP
    for (int chunk = 0; chunk < kMaxChunks && !r.failed(); ++chunk) {
        const uint8_t* head = r.Peek(8);
        if (!head) return 1;
        uint32_t length = Get32(head + 4, false);
        r.Skip(8);
        const uint8_t* body = r.Peek(length);
        if (!body) return 1;
        if (std::memcmp(head, "EXIF", 4) == 0) {
            // Some writers keep the JPEG marker text in front of the TIFF header.
            if (length >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) return OrientationInTiff(body + 6, length - 6);
            return OrientationInTiff(body, length);
        }
        r.Skip(size_t(length) + (length & 1));
    }
    return 1;
}
}  // namespace

int OrientationInTiff(const uint8_t* tiff, size_t size) {
    if (!tiff || size < 8) return 1;
    bool bigEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I') bigEndian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M') bigEndian = true;
    else return 1;
    if (Get16(tiff + 2, bigEndian) != 42) return 1;
    uint32_t directory = Get32(tiff + 4, bigEndian);
    if (directory < 8 || directory > size - 2) return 1;
    uint16_t count = Get16(tiff + directory, bigEndian);
    size_t entries = directory + 2u;
    for (uint16_t i = 0; i < count; ++i) {
        size_t at = entries + size_t(i) * 12u;
        if (at > size || size - at < 12) return 1;
        const uint8_t* e = tiff + at;
        if (Get16(e, bigEndian) != kOrientationTag) continue;
        if (Get16(e + 2, bigEndian) != kTypeShort || Get32(e + 4, bigEndian) < 1) return 1;
        return Valid(Get16(e + 8, bigEndian));  // a single SHORT sits in the value field
    }
    return 1;
}

int FindOrientation(const uint8_t* data, size_t size) {
    if (!data || size < 12) return 1;
    if (data[0] == 0xFF && data[1] == 0xD8) return InJpeg(data, size);
    if ((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')) return OrientationInTiff(data, size);
    if (std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) return InPng(data, size);
    if (std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0) return InWebp(data, size);
    return 1;
}
