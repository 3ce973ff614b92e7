#include "framework/ObjectArchive.h"

#include <cstring>

namespace {
const uint16_t kNewClassTag = 0xFFFF;
const uint16_t kClassTag = 0x8000;
const uint16_t kBigObjectTag = 0x7FFF;
const uint32_t kBigClassTag = 0x80000000u;
const size_t kMaxClassName = 64;  // names of this length or longer are refused
}  // namespace

ArchiveReader::ArchiveReader(const void* data, size_t size, Utf16ToCp932 toCp932)
    : m_bytes(data, size), m_toCp932(std::move(toCp932)) {}

const ArchiveReader::ClassSlot* ArchiveReader::FindClass(uint32_t index) const {
    for (const ClassSlot& c : m_classes)
        if (c.index == index) return &c;
    return nullptr;
}

ArchiveError ArchiveReader::error() const {
    if (m_error != ArchiveError::None) return m_error;
    return m_bytes.failed() ? ArchiveError::Format : ArchiveError::None;
}

uint32_t ArchiveReader::ReadCount() {
    uint16_t n = m_bytes.U16();
    if (n != 0xFFFF) return n;
    return m_bytes.U32();
}

uint32_t ArchiveReader::ReadLength(bool* wide) {
    *wide = false;
    uint8_t b = m_bytes.U8();
    if (b < 0xFF) return b;
    uint16_t w = m_bytes.U16();
    if (w == 0xFFFE) {
        // Wide marker: an ordinary length prefix follows, counting UTF-16 units.
        *wide = true;
        b = m_bytes.U8();
        if (b < 0xFF) return b;
        w = m_bytes.U16();
        if (w == 0xFFFE) {  // a second marker is no length
            m_bytes.fail();
            return 0;
        }
    }
    if (w < 0xFFFF) return w;
    return m_bytes.U32();
}

bool ArchiveReader::ReadString(std::string* out) {
    bool wide = false;
    uint32_t len = ReadLength(&wide);
    if (failed()) return false;
    if (!wide) return m_bytes.String(out, len);
    if (len > m_bytes.remaining() / 2) {
        m_bytes.fail();
        return false;
    }
    std::u16string units(len, u'\0');
    for (uint32_t i = 0; i < len; ++i) units[i] = m_bytes.U16();
    if (!m_toCp932) {
        SetError(ArchiveError::Format);
        return false;
    }
    *out = m_toCp932(units);
    return !failed();
}

bool ArchiveReader::ReadObjectTag(const std::string& className, uint16_t* schema) {
    uint16_t tag = m_bytes.U16();
    if (failed()) return false;
    const ClassSlot* cls = nullptr;
    if (tag == kNewClassTag) {
        uint16_t classSchema = m_bytes.U16();
        uint16_t nameLength = m_bytes.U16();
        if (failed()) return false;
        if (nameLength >= kMaxClassName) {
            SetError(ArchiveError::Format);
            return false;
        }
        std::string name;
        if (!m_bytes.String(&name, nameLength)) return false;
        if (name != className) {
            SetError(ArchiveError::Format);
            return false;
        }
        m_classes.push_back(ClassSlot{m_nextIndex++, classSchema, name});
        cls = &m_classes.back();
    } else {
        uint32_t classIndex = 0, longTag;
        if (tag == kBigObjectTag) {
            longTag = m_bytes.U32();
            if (failed()) return false;
            if (!(longTag & kBigClassTag)) {
                SetError(ArchiveError::Format);
                return false;
            }
            classIndex = longTag & ~kBigClassTag;
        } else if (tag & kClassTag) {
            classIndex = tag & 0x7FFF;
        } else {
            SetError(ArchiveError::Format);  // no object, or an object read before
            return false;
        }
        cls = FindClass(classIndex);
        if (!cls || cls->name != className) {
            SetError(ArchiveError::Format);
            return false;
        }
    }
    *schema = cls->schema;
    ++m_nextIndex;  // the object takes the next index
    return true;
}

bool ArchiveWriter::Flush() {
    if (m_sink && m_size) {
        if (!m_sinkFailed && !m_sink(m_out.data(), m_size)) m_sinkFailed = true;
        m_size = 0;
    }
    return !m_sinkFailed;
}

void ArchiveWriter::WriteCount(uint32_t n) {
    if (n < 0xFFFF) {
        WriteU16(static_cast<uint16_t>(n));
    } else {
        WriteU16(0xFFFF);
        WriteU32(n);
    }
}

void ArchiveWriter::WriteString(const std::string& s) {
    size_t n = s.size();
    if (n < 0xFF) {
        *Grow(1) = static_cast<char>(n);
    } else if (n < 0xFFFE) {
        *Grow(1) = static_cast<char>(0xFF);
        WriteU16(static_cast<uint16_t>(n));
    } else {
        *Grow(1) = static_cast<char>(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<uint32_t>(n));
    }
    WriteBytes(s.data(), n);
}

void ArchiveWriter::WriteU16(uint16_t v) {
    char* b = Grow(2);
    b[0] = static_cast<char>(v & 0xFF);
    b[1] = static_cast<char>(v >> 8);
}

void ArchiveWriter::WriteU32(uint32_t v) {
    char* b = Grow(4);
    b[0] = static_cast<char>(v & 0xFF);
    b[1] = static_cast<char>((v >> 8) & 0xFF);
    b[2] = static_cast<char>((v >> 16) & 0xFF);
    b[3] = static_cast<char>(v >> 24);
}

void ArchiveWriter::WriteBytes(const void* p, size_t n) {
    const char* from = static_cast<const char*>(p);
    if (m_sink) {
        // Large pieces go through the buffer in buffer-sized steps.
        while (n > kSinkBuffer) {
            std::memcpy(Grow(kSinkBuffer), from, kSinkBuffer);
            from += kSinkBuffer;
            n -= kSinkBuffer;
        }
    }
    if (n) std::memcpy(Grow(n), from, n);
}

void ArchiveWriter::WriteObjectTag(const std::string& className, uint16_t schema) {
    for (const ClassSlot& c : m_classes) {
        if (c.name == className) {
            if (c.index < kBigObjectTag) {
                WriteU16(static_cast<uint16_t>(kClassTag | c.index));
            } else {
                WriteU16(kBigObjectTag);
                WriteU32(kBigClassTag | c.index);
            }
            ++m_nextIndex;
            return;
        }
    }
    WriteU16(kNewClassTag);
    WriteU16(schema);
    WriteU16(static_cast<uint16_t>(className.size()));
    WriteBytes(className.data(), className.size());
    m_classes.push_back(ClassSlot{className, m_nextIndex});
    m_nextIndex += 2;  // the class, then its first object
}
