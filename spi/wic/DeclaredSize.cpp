#include "DeclaredSize.h"

#include <cstring>

#include "framework/ByteReader.h"

namespace {
uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

bool JpegFrame(const uint8_t* data, size_t size, uint32_t* width, uint32_t* height) {
    ByteReader r(data, size);
    r.Skip(2);
    for (int segment = 0; segment < 512; ++segment) {
        const uint8_t* m = r.Peek(4);
        if (!m || m[0] != 0xFF) return false;
        if (m[1] == 0xFF) {
            r.Skip(1);
            continue;
        }
        uint8_t kind = m[1];
        if (kind == 0xD9 || kind == 0xDA) return false;  // no frame header before the data
        size_t length = Be16(m + 2);
        if (length < 2) return false;
        // SOF0..SOF15, but not DHT (C4), JPG (C8) or DAC (CC).
        if (kind >= 0xC0 && kind <= 0xCF && kind != 0xC4 && kind != 0xC8 && kind != 0xCC) {
            const uint8_t* f = r.Peek(2 + 7);
            if (!f || length < 7) return false;
            *height = Be16(f + 5);
            *width = Be16(f + 7);
            return true;
        }
        if (!r.Skip(2 + length)) return false;
    }
    return false;
}
}  // namespace

bool DeclaredSize(const uint8_t* data, size_t size, uint32_t* width, uint32_t* height) {
    if (!data || size < 26) return false;
    if (std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        *width = Be32(data + 16);
        *height = Be32(data + 20);
        return true;
    }
    if (data[0] == 0xFF && data[1] == 0xD8) return JpegFrame(data, size, width, height);
    if (data[0] == 'B' && data[1] == 'M') {
        ByteReader r(data + 14, size - 14);
        uint32_t headerSize = r.U32();
        if (headerSize < 40) return false;  // the old core header has 16-bit sides
        int32_t w = r.I32(), h = r.I32();
        if (r.failed() || w <= 0 || h == 0 || h == INT32_MIN) return false;
        *width = uint32_t(w);
        *height = uint32_t(h < 0 ? -h : h);
        return true;
    }
    return false;
}
