#include "framework/ImageListCtrl.h"

bool ImageListCtrl::Create(int cx, int cy, int initial, int grow) {
    Destroy();
    m_list = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, initial, grow);
    return m_list != nullptr;
}

void ImageListCtrl::Destroy() {
    if (m_list) ImageList_Destroy(m_list);
    m_list = nullptr;
}

int ImageListCtrl::AddIcon(HICON icon) {
    if (!m_list || !icon) return -1;
    return ImageList_AddIcon(m_list, icon);
}

bool ImageListCtrl::RemoveAll() { return m_list && ImageList_RemoveAll(m_list); }

int ImageListCtrl::GetImageCount() const { return m_list ? ImageList_GetImageCount(m_list) : 0; }
