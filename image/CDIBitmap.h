#pragma once
// A 24-bit bitmap that GDI can draw into and the program can address byte by
// byte: a DIB section whose pixels live in an anonymous section backed by
// the paging file.  Rows are stored bottom-up and padded to 4 bytes; the
// pixel in column x, row y from the top starts at
// m_pTopRow + y * m_nRowStep + 3 * x, in the order blue, green, red.
// Before touching the bytes after GDI has drawn into the bitmap, call
// GdiFlush() so that no drawing is still pending.
#include <windows.h>

#include <cstdint>

class CDIBitmap {
public:
    CDIBitmap() = default;
    ~CDIBitmap();
    CDIBitmap(const CDIBitmap&) = delete;
    CDIBitmap& operator=(const CDIBitmap&) = delete;

    // Bytes of one stored row: 3 bytes a pixel, padded to a multiple of 4.
    // Widths of 0 or less, or too wide to address, give 0.
    static uint32_t RowLength(int32_t width);
    // Bytes of pixel memory for a width by height bitmap; 0 when either is
    // 0 or less or the size does not fit in 32 bits.
    static uint32_t SectionSize(int32_t width, int32_t height);

    // Releases anything held, then builds a width by height bitmap for the
    // device of `dc`.  False, holding nothing, when a size is 0 or less,
    // too large, or the system refuses.
    bool Create(HDC dc, int32_t width, int32_t height);
    // Closes the section, then deletes the bitmap; the object is empty again.
    void Release();
    // The system's description of the bitmap (type, size, width in bytes,
    // planes, bits per pixel, bits pointer).  Returns the number of bytes the
    // system filled: 0, with `info` zeroed, when nothing is held.
    int GetBitmapInfo(BITMAP* info) const;

    HBITMAP handle() const { return m_hBitmap; }
    bool empty() const { return m_hBitmap == nullptr; }

    // Held for direct pixel access; see the layout above.
    HANDLE m_hSection = nullptr;
    uint8_t* m_pBits = nullptr;    // as the system gives it: the bottom row
    uint8_t* m_pTopRow = nullptr;  // first byte of the top row
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nRowStep = 0;  // from one row to the row below: negative

private:
    HBITMAP m_hBitmap = nullptr;
};
