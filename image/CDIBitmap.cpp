#include "image/CDIBitmap.h"

#include <limits>

namespace {
constexpr int32_t kBitsPerPixel = 24;
constexpr int32_t kBytesPerPixel = kBitsPerPixel / 8;
}  // namespace

CDIBitmap::~CDIBitmap() { Release(); }

uint32_t CDIBitmap::RowLength(int32_t width) {
    // The row length must also fit a signed row step.
    constexpr int64_t kMaxRow = std::numeric_limits<int32_t>::max();
    if (width <= 0) return 0;
    const int64_t length = (int64_t{kBytesPerPixel} * width + 3) & ~int64_t{3};
    return length > kMaxRow ? 0 : static_cast<uint32_t>(length);
}

uint32_t CDIBitmap::SectionSize(int32_t width, int32_t height) {
    const uint64_t row = RowLength(width);
    if (row == 0 || height <= 0) return 0;
    const uint64_t size = row * static_cast<uint64_t>(height);
    return size > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(size);
}

bool CDIBitmap::Create(HDC dc, int32_t width, int32_t height) {
    Release();

    // A height of 0 or less would either hold nothing or store the rows
    // top-down, which the addressing rule above does not describe.
    const uint32_t size = SectionSize(width, height);
    if (size == 0) return false;

    BITMAPINFO info = {};  // the one colour-table slot stays zero
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kBitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;

    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, nullptr);
    if (!section) return false;

    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, section, 0);
    if (!bitmap || !bits) {
        if (bitmap) DeleteObject(bitmap);
        CloseHandle(section);
        return false;
    }

    const int32_t rowLength = static_cast<int32_t>(RowLength(width));
    m_hBitmap = bitmap;
    m_hSection = section;
    m_pBits = static_cast<uint8_t*>(bits);
    m_nWidth = width;
    m_nHeight = height;
    m_nRowStep = -rowLength;
    m_pTopRow = m_pBits + static_cast<size_t>(height - 1) * static_cast<size_t>(rowLength);
    return true;
}

void CDIBitmap::Release() {
    // The DIB section keeps its view of the memory until the bitmap itself
    // is deleted, so the section handle can go first.
    if (m_hSection) {
        CloseHandle(m_hSection);
        m_hSection = nullptr;
    }
    if (m_hBitmap) {
        DeleteObject(m_hBitmap);
        m_hBitmap = nullptr;
    }
    m_pBits = nullptr;
    m_pTopRow = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
    m_nRowStep = 0;
}

int CDIBitmap::GetBitmapInfo(BITMAP* info) const {
    if (!info) return 0;
    *info = BITMAP{};
    if (!m_hBitmap) return 0;
    DIBSECTION section = {};
    const int filled = GetObjectW(m_hBitmap, sizeof(section), &section);
    if (filled <= 0) return 0;
    *info = section.dsBm;
    return filled;
}
