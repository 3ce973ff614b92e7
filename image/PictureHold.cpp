#include "image/PictureHold.h"

#include "image/CWallBitmapList.h"

PictureHold::PictureHold(PictureHold&& other) noexcept
    : m_picture(std::move(other.m_picture)), m_cache(std::move(other.m_cache)) {}

PictureHold& PictureHold::operator=(PictureHold&& other) noexcept {
    if (this != &other) {
        reset();
        m_picture = std::move(other.m_picture);
        m_cache = std::move(other.m_cache);
    }
    return *this;
}

HBITMAP PictureHold::bitmap() const { return m_picture ? m_picture->m_hBitmap : nullptr; }

void PictureHold::reset() {
    if (!m_picture) return;
    m_picture.reset();
    // The picture may have been kept over the budget only for this use.
    if (std::shared_ptr<CWallBitmapList*> cache = m_cache.lock()) (*cache)->TrimTo((*cache)->budget());
    m_cache.reset();
}
