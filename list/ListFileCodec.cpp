#include "list/ListFileCodec.h"

#include <algorithm>
#include <new>

namespace {

bool ReadEntry(ArchiveReader& ar, uint16_t schema, CWallPaperData* e) {
    if (schema != 1 && schema != 2) return true;  // unknown schema: no field is read
    ar.ReadString(&e->m_strPath);
    ar.ReadString(&e->m_strReserved);
    ar.ReadString(&e->m_strName);
    e->m_nStyle = ar.bytes().I32();
    if (schema == 2) {
        e->m_nReserved1 = ar.bytes().I32();
        e->m_nReserved2 = ar.bytes().I32();
        e->m_bInUse = ar.bytes().U32() != 0;
    }
    return !ar.failed();
}

}  // namespace

ListDecodeResult DecodeListFile(const void* data, size_t size, const Utf16ToCp932& toCp932,
                                WallPaperEntries* out) {
    out->clear();
    try {
        ArchiveReader ar(data, size, toCp932);
        uint32_t count = ar.ReadCount();
        const std::string className = CWallPaperData::kClassName;
        WallPaperEntries entries;
        // The count is untrusted: reserve no more than the bytes could hold
        // (an entry takes at least 2 + 3 + 16 bytes).
        entries.reserve(std::min<size_t>(count, size / 21));
        for (uint32_t i = 0; i < count && !ar.failed(); ++i) {
            uint16_t schema = 0;
            if (!ar.ReadObjectTag(className, &schema)) break;
            auto entry = std::make_unique<CWallPaperData>();
            if (!ReadEntry(ar, schema, entry.get())) break;
            entries.push_back(std::move(entry));
        }
        if (ar.failed()) {
            return ar.error() == ArchiveError::Memory ? ListDecodeResult::OutOfMemory
                                                      : ListDecodeResult::FormatFault;
        }
        *out = std::move(entries);
        return ListDecodeResult::Ok;
    } catch (const std::bad_alloc&) {
        out->clear();
        return ListDecodeResult::OutOfMemory;
    }
}

namespace {
void WriteEntries(ArchiveWriter& ar, const WallPaperEntries& entries) {
    ar.WriteCount(static_cast<uint32_t>(entries.size()));
    const std::string className = CWallPaperData::kClassName;
    for (const auto& e : entries) {
        ar.WriteObjectTag(className, CWallPaperData::kSchema);
        ar.WriteString(e->m_strPath);
        ar.WriteString(e->m_strReserved);
        ar.WriteString(e->m_strName);
        ar.WriteI32(e->m_nStyle);
        ar.WriteI32(e->m_nReserved1);
        ar.WriteI32(e->m_nReserved2);
        ar.WriteU32(e->m_bInUse ? 1 : 0);
    }
}
}  // namespace

std::string EncodeListFile(const WallPaperEntries& entries) {
    ArchiveWriter ar;
    size_t estimate = 6 + 20;
    for (const auto& e : entries)
        estimate += 2 + 3 * 5 + e->m_strPath.size() + e->m_strReserved.size() + e->m_strName.size() + 16;
    ar.Reserve(estimate);
    WriteEntries(ar, entries);
    return ar.Take();
}

bool EncodeListFile(const WallPaperEntries& entries, const ArchiveSink& sink) {
    ArchiveWriter ar(sink);
    WriteEntries(ar, entries);
    return ar.Flush();
}
