#pragma once
// The layout of the preview store's file, beside the list file.  All numbers
// little-endian:
//   header   "TVPREVS\0", version (u32, 1), entry count (u32), index bytes (u32)
//   index    per entry: path length (u16), path bytes (as the list stores
//            it), file size (u64), last-write time (u64), last shown (u64),
//            picture width, height (u32 each), preview width, height (u32
//            each), offset (u64) and length (u32) of its encoded bytes
//   data     the encoded previews, where the index says
// The index is read at the first preview; each preview's bytes only when it
// is shown.  Everything read is checked: a file that fails is no store.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PreviewRecord {
    std::string path;
    uint64_t fileSize = 0;
    uint64_t writeTime = 0;
    uint64_t lastShown = 0;  // on the store's own clock
    uint32_t pictureWidth = 0, pictureHeight = 0;  // the full picture
    uint32_t width = 0, height = 0;                // the stored preview
    uint64_t offset = 0;
    uint32_t length = 0;
};

namespace preview_store {
constexpr size_t kHeaderBytes = 20;
constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxEntries = 200000;
constexpr size_t kMaxPathBytes = 4096;
constexpr uint32_t kMaxIndexBytes = 64u << 20;
constexpr uint32_t kMaxSide = 16384;           // a preview's side
constexpr uint32_t kMaxPictureSide = 1u << 20;  // the full picture's
constexpr uint32_t kMaxEncodedBytes = 16u << 20;

// Reads the header: false when it is not one of a store this program
// writes, or claims more than `fileSize` holds.
bool ReadHeader(const uint8_t* header, size_t size, uint64_t fileSize, uint32_t* count, uint32_t* indexBytes);
// Reads the index (the `size` bytes after the header) into `out`, in file
// order; a path seen twice keeps its first entry.  False when anything is
// out of bounds or does not add up.
bool ParseIndex(const uint8_t* index, size_t size, uint64_t fileSize, uint32_t count, std::vector<PreviewRecord>* out);

// Header and index of `records`, whose offsets are set here: the data
// follows the index in the records' order.
std::string Serialize(std::vector<PreviewRecord>* records);
// What an entry counts against the store's budget.
uint64_t BudgetBytes(const PreviewRecord& record);
}  // namespace preview_store
