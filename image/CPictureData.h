#pragma once
// One decoded picture held by the picture cache.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CPictureData {
public:
    CPictureData(HBITMAP bitmap, std::string name, int32_t size)
        : m_hBitmap(bitmap), m_strName(std::move(name)), m_nSize(size) {}
    ~CPictureData() { if (m_hBitmap) DeleteObject(m_hBitmap); }
    CPictureData(const CPictureData&) = delete;
    CPictureData& operator=(const CPictureData&) = delete;

    HBITMAP m_hBitmap;          // owned
    std::string m_strName;      // the path it was loaded under
    int32_t m_nRefCount = 1;    // one more for each further Load; shown, never used to free
    int32_t m_nSize;            // bytes the picture would take as a BMP file, or -1
    std::vector<uint8_t> m_pImage;  // image bytes of the stored form; empty for decoded pictures
    // When the picture was last asked for, on the cache's own clock: the
    // least recently used go first when the cache is over its budget.
    mutable uint64_t m_nLastUse = 0;

    // Bytes the picture counts against the cache's budget.
    uint64_t BudgetBytes() const { return m_nSize > 0 ? static_cast<uint64_t>(m_nSize) : 0; }
};
