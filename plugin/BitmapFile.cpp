#include "plugin/BitmapFile.h"

#include <cstdint>
#include <memory>
#include <new>

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/ByteReader.h"

namespace {
constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int64_t kMaxSide = 32768;
// A bitmap file is read whole; more than this is no wallpaper a 32-bit
// process can hold twice (file and display bitmap).
constexpr ULONGLONG kMaxFileBytes = 512ull * 1024 * 1024;

bool DepthTakes(uint16_t bits, uint32_t compression, int32_t height) {
    switch (compression) {
    case BI_RGB: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BI_BITFIELDS: return bits == 16 || bits == 32;
    case BI_RLE8: return bits == 8 && height > 0;  // run-length pictures are bottom-up only
    case BI_RLE4: return bits == 4 && height > 0;
    default: return false;
    }
}
}  // namespace

size_t BitmapFilePixelsAt(const unsigned char* file, size_t size) {
    ByteReader r(file, size);
    if (r.U8() != 'B' || r.U8() != 'M') return 0;
    r.Skip(8);
    const uint32_t pixelsAt = r.U32();
    const uint32_t headerSize = r.U32();
    int64_t width = 0, height = 0;
    uint16_t bits = 0;
    uint32_t compression = BI_RGB, sizeImage = 0, clrUsed = 0;
    size_t entryBytes = 4, masksBytes = 0;
    if (headerSize == kCoreHeaderSize) {
        width = r.U16();
        height = r.U16();
        r.U16();  // planes
        bits = r.U16();
        entryBytes = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        width = r.I32();
        height = r.I32();
        r.U16();  // planes
        bits = r.U16();
        compression = r.U32();
        sizeImage = r.U32();
        r.Skip(8);  // resolution
        clrUsed = r.U32();
        // A 40-byte header is followed by the three colour masks; larger ones hold them.
        if (compression == BI_BITFIELDS && headerSize == kInfoHeaderSize) masksBytes = 12;
    } else {
        return 0;
    }
    if (r.failed() || kFileHeaderSize + headerSize > size) return 0;
    if (width <= 0 || width > kMaxSide || height == 0 || height > kMaxSide || height < -kMaxSide) return 0;
    if (!DepthTakes(bits, compression, static_cast<int32_t>(height))) return 0;
    uint64_t colors = 0;
    if (bits <= 8) {
        uint64_t most = 1u << bits;
        colors = (clrUsed == 0 || clrUsed > most) ? most : clrUsed;
    }
    const uint64_t tableEnd = kFileHeaderSize + headerSize + masksBytes + colors * entryBytes;
    if (tableEnd > size) return 0;
    // Some writers leave the pixel offset 0: the pixels then follow the table.
    const uint64_t at = (pixelsAt >= tableEnd && pixelsAt < size) ? pixelsAt : tableEnd;
    uint64_t needed;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        needed = sizeImage;  // the run-length data is read up to its stated size
        if (needed == 0) return 0;
    } else {
        uint64_t rows = height < 0 ? static_cast<uint64_t>(-height) : static_cast<uint64_t>(height);
        needed = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4 * rows;
    }
    if (at >= size || needed > size - at) return 0;
    return static_cast<size_t>(at);
}

HBITMAP LoadBitmapFile(const std::string& path) {
    if (path.empty()) return nullptr;
    UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > kMaxFileBytes)
        return nullptr;
    const size_t wanted = static_cast<size_t>(size.QuadPart);
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[wanted]);
    if (!bytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // the cache may make room and try again
        return nullptr;
    }
    size_t got = 0;
    while (got < wanted) {
        DWORD chunk = static_cast<DWORD>(wanted - got < (1u << 20) ? wanted - got : (1u << 20));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.get() + got, chunk, &read, nullptr)) return nullptr;
        if (read == 0) break;  // the file shrank meanwhile: judge what is there
        got += read;
    }
    const size_t pixelsAt = BitmapFilePixelsAt(bytes.get(), got);
    if (pixelsAt == 0) return nullptr;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(bytes.get() + kFileHeaderSize);
    WindowDC screen(nullptr);
    if (!screen) return nullptr;
    return CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, bytes.get() + pixelsAt, info, DIB_RGB_COLORS);
}
