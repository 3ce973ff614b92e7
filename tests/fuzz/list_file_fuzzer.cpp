// Feeds arbitrary bytes to the list-file reader.  Whatever it accepts must
// survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "list/ListFileCodec.h"
#include "util/Cp932Convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WallPaperEntries entries;
    if (DecodeListFile(data, size, &Utf16ToCp932Lossy, &entries) != ListDecodeResult::Ok) {
        if (!entries.empty()) std::abort();
        return 0;
    }
    std::string bytes = EncodeListFile(entries);
    WallPaperEntries again;
    if (DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &again) != ListDecodeResult::Ok) std::abort();
    if (again.size() != entries.size()) std::abort();
    for (size_t i = 0; i < entries.size(); ++i)
        if (!(*again[i] == *entries[i])) std::abort();
    if (EncodeListFile(again) != bytes) std::abort();
    return 0;
}
