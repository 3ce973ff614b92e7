#pragma once
// The object archive: the byte format in which the framework stores
// serialisable objects (counts, length-prefixed strings, class tags).
// Standard C++ only; the list file and the archived picture form use it.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/ByteReader.h"

// Turns UTF-16 text (from a string stored in the wide form) into code page 932.
using Utf16ToCp932 = std::function<std::string(const std::u16string&)>;

enum class ArchiveError { None, Format, Memory };

class ArchiveReader {
public:
    ArchiveReader(const void* data, size_t size, Utf16ToCp932 toCp932);

    bool failed() const { return m_error != ArchiveError::None || m_bytes.failed(); }
    ArchiveError error() const;
    void SetError(ArchiveError e) { if (m_error == ArchiveError::None) m_error = e; }

    ByteReader& bytes() { return m_bytes; }

    // A count: 16 bits, or 0xFFFF and 32 bits.
    uint32_t ReadCount();
    // A string with its length prefix; the UTF-16 marker form is converted.
    bool ReadString(std::string* out);

    // Reads the tag in front of an object that must be of class `className`.
    // On success gives the schema recorded for that class.  Any other tag
    // (no object, a repeated object, an unknown class index, another class,
    // a class name of 64 bytes or more) is a format fault.
    bool ReadObjectTag(const std::string& className, uint16_t* schema);

private:
    // Classes read so far with the index each took; objects only take an index.
    struct ClassSlot { uint32_t index; uint16_t schema; std::string name; };
    uint32_t ReadLength(bool* wide);
    const ClassSlot* FindClass(uint32_t index) const;

    ByteReader m_bytes;
    Utf16ToCp932 m_toCp932;
    ArchiveError m_error = ArchiveError::None;
    std::vector<ClassSlot> m_classes;
    uint32_t m_nextIndex = 1;  // index 0 is "no object"
};

// Where the writer's bytes go, a chunk at a time; false stops the writing.
using ArchiveSink = std::function<bool(const char* data, size_t size)>;

class ArchiveWriter {
public:
    // Without a sink the bytes collect in memory (Take); with one they are
    // handed on through a small buffer, so no whole image is ever built.
    ArchiveWriter() = default;
    explicit ArchiveWriter(ArchiveSink sink) : m_sink(std::move(sink)) {}

    void WriteCount(uint32_t n);
    void WriteString(const std::string& s);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void WriteBytes(const void* p, size_t n);
    void Reserve(size_t bytes) { if (!m_sink && bytes > m_out.size()) m_out.resize(bytes); }
    // Hands buffered bytes to the sink; false when the sink refused any.
    bool Flush();
    // Tag of a new object of `className`: the class record the first time,
    // a class reference after that.
    void WriteObjectTag(const std::string& className, uint16_t schema);

    // The bytes written (no sink); the writer is empty afterwards.
    std::string Take() {
        m_out.resize(m_size);
        m_size = 0;
        return std::move(m_out);
    }

private:
    struct ClassSlot { std::string name; uint32_t index; };
    static constexpr size_t kSinkBuffer = 64 * 1024;
    // Writes go straight into a buffer that grows by doubling, or that is
    // handed to the sink when full.
    char* Grow(size_t n) {
        if (m_out.size() - m_size < n) {
            if (m_sink && m_size) Flush();
            if (m_out.size() - m_size < n)
                m_out.resize(std::max({m_out.size() * 2, m_size + n, m_sink ? kSinkBuffer : size_t(64)}));
        }
        char* at = &m_out[m_size];
        m_size += n;
        return at;
    }
    ArchiveSink m_sink;
    bool m_sinkFailed = false;
    std::string m_out;
    size_t m_size = 0;
    std::vector<ClassSlot> m_classes;
    uint32_t m_nextIndex = 1;
};
