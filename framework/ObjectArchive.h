#pragma once
// The object archive: the byte format in which the framework stores
// serialisable objects (counts, length-prefixed strings, class tags).
// Standard C++ only; the list file and the archived picture form use it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "util/ByteReader.h"

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
    struct MapSlot { bool isClass; uint16_t schema; std::string name; };
    uint32_t ReadLength(bool* wide);

    ByteReader m_bytes;
    Utf16ToCp932 m_toCp932;
    ArchiveError m_error = ArchiveError::None;
    std::vector<MapSlot> m_map;  // index 0 is "no object"
};

class ArchiveWriter {
public:
    void WriteCount(uint32_t n);
    void WriteString(const std::string& s);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void WriteBytes(const void* p, size_t n);
    // Tag of a new object of `className`: the class record the first time,
    // a class reference after that.
    void WriteObjectTag(const std::string& className, uint16_t schema);

    const std::string& data() const { return m_out; }
    std::string& data() { return m_out; }

private:
    struct ClassSlot { std::string name; uint32_t index; };
    std::string m_out;
    std::vector<ClassSlot> m_classes;
    uint32_t m_nextIndex = 1;
};
