#pragma once
// One cached picture kept for the length of a use (drawn, written out, shown
// by a dialog): the cache never releases a held picture under its user, even
// when it is over its budget.  Letting go lets the cache release it if it no
// longer fits.  A hold keeps the bitmap valid even when the picture leaves
// the cache meanwhile (Unload, Synchronize, a reload).
#include <windows.h>

#include <memory>

class CPictureData;
class CWallBitmapList;

// Its members are defined beside the cache, in CWallBitmapList.cpp.
class PictureHold {
public:
    PictureHold() = default;
    ~PictureHold() { reset(); }
    PictureHold(PictureHold&& other) noexcept;
    PictureHold& operator=(PictureHold&& other) noexcept;
    PictureHold(const PictureHold&) = delete;
    PictureHold& operator=(const PictureHold&) = delete;

    // The held bitmap (still the cache's), or null.
    HBITMAP bitmap() const;
    const CPictureData* get() const { return m_picture.get(); }
    explicit operator bool() const { return m_picture != nullptr; }
    // Lets go; the cache trims itself back to its budget.
    void reset();

private:
    friend class CWallBitmapList;
    PictureHold(std::shared_ptr<CPictureData> picture, std::weak_ptr<CWallBitmapList*> cache)
        : m_picture(std::move(picture)), m_cache(std::move(cache)) {}

    std::shared_ptr<CPictureData> m_picture;
    // Empty once the cache is gone: a hold may outlive it.
    std::weak_ptr<CWallBitmapList*> m_cache;
};
