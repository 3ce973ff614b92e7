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

HBITMAP MakeWithTheSystem(HDC screen, const BITMAPINFO* info, const void* pixels) {
    return CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, pixels, info, DIB_RGB_COLORS);
}
DisplayBitmapMaker g_makeDisplayBitmap = &MakeWithTheSystem;
}  // namespace

HBITMAP MakeDisplayBitmap(HDC screen, const BITMAPINFO* info, const void* pixels) {
    return g_makeDisplayBitmap(screen, info, pixels);
}

DisplayBitmapMaker ReplaceDisplayBitmapMaker(DisplayBitmapMaker maker) {
    DisplayBitmapMaker before = g_makeDisplayBitmap;
    g_makeDisplayBitmap = maker ? maker : &MakeWithTheSystem;
    return before;
}

HBITMAP LoadBitmapFile(const std::string& path, bool* lackedMemory) {
    if (lackedMemory) *lackedMemory = false;
    // A system call that fails for lack of memory says so in its error.
    auto systemFailed = [lackedMemory]() -> HBITMAP {
        const DWORD error = GetLastError();
        if (lackedMemory) *lackedMemory = error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY;
        return nullptr;
    };
    if (path.empty()) return nullptr;
    UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return systemFailed();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return systemFailed();
    if (size.QuadPart <= 0 || static_cast<ULONGLONG>(size.QuadPart) > kMaxFileBytes) return nullptr;
    const size_t wanted = static_cast<size_t>(size.QuadPart);
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[wanted]);
    if (!bytes) {
        if (lackedMemory) *lackedMemory = true;  // the cache may make room and try again
        return nullptr;
    }
    size_t got = 0;
    while (got < wanted) {
        DWORD chunk = static_cast<DWORD>(wanted - got < (1u << 20) ? wanted - got : (1u << 20));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.get() + got, chunk, &read, nullptr)) return systemFailed();
        if (read == 0) break;  // the file shrank meanwhile: judge what is there
        got += read;
    }
    const size_t pixelsAt = BitmapFilePixelsAt(bytes.get(), got);
    if (pixelsAt == 0) return nullptr;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(bytes.get() + kFileHeaderSize);
    WindowDC screen(nullptr);
    if (!screen) return systemFailed();
    HBITMAP bitmap = MakeDisplayBitmap(screen.get(), info, bytes.get() + pixelsAt);
    // The check passed only forms the system takes: what is missing is room.
    if (!bitmap && lackedMemory) *lackedMemory = true;
    return bitmap;
}
