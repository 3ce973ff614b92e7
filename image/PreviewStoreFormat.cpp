#include "image/PreviewStoreFormat.h"

#include <cstring>
#include <unordered_set>

#include "framework/ByteReader.h"

namespace preview_store {
namespace {
constexpr char kMagic[8] = {'T', 'V', 'P', 'R', 'E', 'V', 'S', 0};
constexpr size_t kFixedRecordBytes = 2 + 8 * 3 + 4 * 4 + 8 + 4;

void Put16(std::string* out, uint16_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>(v >> 8));
}
void Put32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put64(std::string* out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

bool SideFits(uint32_t side, uint32_t max) { return side >= 1 && side <= max; }
}  // namespace

bool ReadHeader(const uint8_t* header, size_t size, uint64_t fileSize, uint32_t* count, uint32_t* indexBytes) {
    ByteReader r(header, size);
    char magic[8];
    r.Bytes(magic, sizeof(magic));
    const uint32_t version = r.U32();
    *count = r.U32();
    *indexBytes = r.U32();
    if (r.failed() || std::memcmp(magic, kMagic, sizeof(magic)) != 0 || version != kVersion) return false;
    if (*count > kMaxEntries || *indexBytes > kMaxIndexBytes) return false;
    if (*indexBytes < static_cast<uint64_t>(*count) * kFixedRecordBytes) return false;
    return kHeaderBytes + static_cast<uint64_t>(*indexBytes) <= fileSize;
}

bool ParseIndex(const uint8_t* index, size_t size, uint64_t fileSize, uint32_t count, std::vector<PreviewRecord>* out) {
    out->clear();
    if (count > kMaxEntries) return false;
    ByteReader r(index, size);
    const uint64_t dataStart = kHeaderBytes + static_cast<uint64_t>(size);
    std::unordered_set<std::string> seen;
    for (uint32_t i = 0; i < count; ++i) {
        PreviewRecord record;
        const uint16_t pathBytes = r.U16();
        if (pathBytes == 0 || pathBytes > kMaxPathBytes || !r.String(&record.path, pathBytes)) return false;
        record.fileSize = r.U64();
        record.writeTime = r.U64();
        record.lastShown = r.U64();
        record.pictureWidth = r.U32();
        record.pictureHeight = r.U32();
        record.width = r.U32();
        record.height = r.U32();
        record.offset = r.U64();
        record.length = r.U32();
        if (r.failed()) return false;
        if (!SideFits(record.pictureWidth, kMaxPictureSide) || !SideFits(record.pictureHeight, kMaxPictureSide) ||
            !SideFits(record.width, kMaxSide) || !SideFits(record.height, kMaxSide) ||
            record.width > record.pictureWidth || record.height > record.pictureHeight)
            return false;
        if (record.length == 0 || record.length > kMaxEncodedBytes || record.offset < dataStart ||
            record.offset > fileSize || record.length > fileSize - record.offset)
            return false;
        if (!seen.insert(record.path).second) continue;
        out->push_back(std::move(record));
    }
    return r.remaining() == 0;
}

std::string Serialize(std::vector<PreviewRecord>* records) {
    std::string index;
    for (const PreviewRecord& record : *records) index.resize(index.size() + kFixedRecordBytes + record.path.size());
    uint64_t offset = kHeaderBytes + index.size();
    index.clear();
    for (PreviewRecord& record : *records) {
        record.offset = offset;
        offset += record.length;
        Put16(&index, static_cast<uint16_t>(record.path.size()));
        index += record.path;
        Put64(&index, record.fileSize);
        Put64(&index, record.writeTime);
        Put64(&index, record.lastShown);
        Put32(&index, record.pictureWidth);
        Put32(&index, record.pictureHeight);
        Put32(&index, record.width);
        Put32(&index, record.height);
        Put64(&index, record.offset);
        Put32(&index, record.length);
    }
    std::string out(kMagic, sizeof(kMagic));
    Put32(&out, kVersion);
    Put32(&out, static_cast<uint32_t>(records->size()));
    Put32(&out, static_cast<uint32_t>(index.size()));
    return out + index;
}

uint64_t BudgetBytes(const PreviewRecord& record) {
    return static_cast<uint64_t>(record.length) + kFixedRecordBytes + record.path.size();
}
}  // namespace preview_store
