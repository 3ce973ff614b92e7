#include "plugin/BitmapFile.h"

#include <cstdint>
#include <memory>
#include <new>

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "plugin/BitmapFileLayout.h"

namespace {
constexpr size_t kFileHeaderSize = 14;
// A bitmap file is read whole; more than this is no wallpaper a 32-bit
// process can hold twice (file and display bitmap).
constexpr ULONGLONG kMaxFileBytes = 512ull * 1024 * 1024;
}  // namespace

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
