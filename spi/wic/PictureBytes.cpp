#include "PictureBytes.h"

#include "SusieApi.h"

namespace {
struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
}  // namespace

PictureBytes::~PictureBytes() {
    if (m_owned) HeapFree(GetProcessHeap(), 0, m_owned);
}

int PictureBytes::Open(LPCSTR buffer, LONG_PTR length, unsigned flag) {
    if (!buffer) return kSusieInternalError;
    unsigned source = flag & kSusieSourceMask;
    if (source == kSusieFromMemory) {
        if (length <= 0) return kSusieUnknownFormat;
        m_data = reinterpret_cast<const uint8_t*>(buffer);
        m_size = static_cast<size_t>(length);
        return kSusieOk;
    }
    if (source != kSusieFromFile) return kSusieUnknownFormat;
    if (length < 0) return kSusieReadError;

    // The name is in the system's ANSI code page, as every Susie host passes
    // it.  Reading shares everything: a viewer, an editor or a sync client
    // may hold the picture open, even for writing.
    FileHandle file{CreateFileA(buffer, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return kSusieReadError;
    LARGE_INTEGER total;
    if (!GetFileSizeEx(file.h, &total)) return kSusieReadError;
    if (total.QuadPart <= length) return kSusieUnknownFormat;  // nothing after the offset
    uint64_t wanted = static_cast<uint64_t>(total.QuadPart) - static_cast<uint64_t>(length);
    if (wanted > kMaxFileBytes) return kSusieNoMemory;
    LARGE_INTEGER offset;
    offset.QuadPart = length;
    if (!SetFilePointerEx(file.h, offset, nullptr, FILE_BEGIN)) return kSusieReadError;
    m_owned = HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(wanted));
    if (!m_owned) return kSusieNoMemory;
    auto* to = static_cast<uint8_t*>(m_owned);
    size_t got = 0;
    while (got < wanted) {
        DWORD chunk = static_cast<DWORD>(wanted - got > (1u << 24) ? (1u << 24) : wanted - got), read = 0;
        if (!ReadFile(file.h, to + got, chunk, &read, nullptr)) return kSusieReadError;
        if (read == 0) break;  // the file shrank meanwhile
        got += read;
    }
    if (got == 0) return kSusieReadError;
    m_data = to;
    m_size = got;
    return kSusieOk;
}
