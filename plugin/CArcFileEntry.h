#pragma once
// One member of an archive, as an archive plug-in listed it.
#include <cstdint>
#include <string>

#include "plugin/SusieBlocks.h"

class CArcFileEntry {
public:
    CArcFileEntry() = default;
    explicit CArcFileEntry(const SusieFileRecord& record);
    virtual ~CArcFileEntry() = default;

    // The method characters, up to the first zero (at most 8).
    std::string MethodText() const;
    // What names the member inside its archive: directory + file name.
    std::string MemberPath() const { return directory + fileName; }

    uint32_t method[2] = {0, 0};  // the 8 method bytes as two little-endian words
    uint32_t position = 0;
    uint32_t packedSize = 0;
    uint32_t unpackedSize = 0;
    uint32_t timestamp = 0;  // seconds since 1970-01-01 00:00 UTC
    std::string directory;
    std::string fileName;
    uint32_t crc = 0;
};
