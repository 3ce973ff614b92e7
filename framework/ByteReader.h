#pragma once
// Bounds-checked little-endian reader for bytes that come from outside (the
// list file, plug-in blocks).  Once a read runs past the end the error flag
// stays set and every further read yields zero, so a caller can read a whole
// record and check once.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class ByteReader {
public:
    ByteReader(const void* data, size_t size)
        : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0) {}

    bool failed() const { return m_failed; }
    size_t position() const { return m_pos; }
    size_t remaining() const { return m_failed ? 0 : m_size - m_pos; }
    void fail() { m_failed = true; }

    uint8_t U8() {
        uint8_t v = 0;
        Bytes(&v, 1);
        return v;
    }
    uint16_t U16() {
        uint8_t b[2] = {0, 0};
        Bytes(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    uint32_t U32() {
        uint8_t b[4] = {0, 0, 0, 0};
        Bytes(b, 4);
        return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
               (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint64_t U64() {
        const uint64_t low = U32();
        return low | (static_cast<uint64_t>(U32()) << 32);
    }

    // Copies n bytes; on a short read copies nothing, zero-fills and fails.
    bool Bytes(void* out, size_t n) {
        if (!Has(n)) {
            if (out && n) std::memset(out, 0, n);
            return false;
        }
        if (n) std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return true;
    }
    bool String(std::string* out, size_t n) {
        if (!Has(n)) return false;
        out->assign(reinterpret_cast<const char*>(m_data + m_pos), n);
        m_pos += n;
        return true;
    }
    bool Skip(size_t n) {
        if (!Has(n)) return false;
        m_pos += n;
        return true;
    }
    // Pointer to the next n bytes without copying, or null (and failed).
    const uint8_t* Peek(size_t n) {
        if (!Has(n)) return nullptr;
        return m_data + m_pos;
    }

private:
    bool Has(size_t n) {
        if (m_failed || n > m_size - m_pos) {
            m_failed = true;
            return false;
        }
        return true;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_failed = false;
};
