// Feeds arbitrary bytes to the preview store's reader as a whole file.
// Whatever index it accepts must stay within the file and survive a write
// and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/PreviewStoreFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t count = 0, indexBytes = 0;
    if (!preview_store::ReadHeader(data, size, size, &count, &indexBytes)) return 0;
    std::vector<PreviewRecord> records;
    if (!preview_store::ParseIndex(data + preview_store::kHeaderBytes, indexBytes, size, count, &records)) return 0;
    for (const PreviewRecord& r : records)
        if (r.offset + r.length > size || r.width > r.pictureWidth || r.path.empty()) std::abort();
    std::vector<PreviewRecord> copy = records;
    const std::string head = preview_store::Serialize(&copy);
    uint64_t fileSize = head.size();
    for (const PreviewRecord& r : copy) fileSize += r.length;
    uint32_t count2 = 0, indexBytes2 = 0;
    std::vector<PreviewRecord> again;
    if (!preview_store::ReadHeader(reinterpret_cast<const uint8_t*>(head.data()), head.size(), fileSize, &count2,
                                   &indexBytes2) ||
        !preview_store::ParseIndex(reinterpret_cast<const uint8_t*>(head.data()) + preview_store::kHeaderBytes,
                                   indexBytes2, fileSize, count2, &again) ||
        again.size() != records.size())
        std::abort();
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i].path != records[i].path || again[i].length != records[i].length ||
            again[i].offset != copy[i].offset)
            std::abort();
    return 0;
}
