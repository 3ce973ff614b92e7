#include "plugin/CArcFileEntry.h"

namespace {
uint32_t Word(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}
}  // namespace

CArcFileEntry::CArcFileEntry(const SusieFileRecord& record)
    // The entry keeps the 32-bit values the archive dialog shows.
    : position(static_cast<uint32_t>(record.position)),
      packedSize(static_cast<uint32_t>(record.packedSize)),
      unpackedSize(static_cast<uint32_t>(record.unpackedSize)),
      timestamp(static_cast<uint32_t>(record.timestamp)),
      directory(record.directory),
      fileName(record.fileName),
      crc(record.crc) {
    method[0] = Word(record.method);
    method[1] = Word(record.method + 4);
}

std::string CArcFileEntry::MethodText() const {
    std::string text;
    for (int i = 0; i < 8; ++i) {
        char c = static_cast<char>((method[i / 4] >> (8 * (i % 4))) & 0xFF);
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}
