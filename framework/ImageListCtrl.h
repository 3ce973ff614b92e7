#pragma once
// An image list owned by its wrapper: destroyed with it.  Controls that show
// it must not destroy it themselves (list views with LVS_SHAREIMAGELISTS).
#include <windows.h>
#include <commctrl.h>

class ImageListCtrl {
public:
    ImageListCtrl() = default;
    ~ImageListCtrl() { Destroy(); }
    ImageListCtrl(const ImageListCtrl&) = delete;
    ImageListCtrl& operator=(const ImageListCtrl&) = delete;

    // Icons of cx x cy with a mask, in the display's colours; room for
    // `initial` images, growing by `grow`.
    bool Create(int cx, int cy, int initial, int grow);
    void Destroy();
    HIMAGELIST handle() const { return m_list; }

    // Appends a copy of the icon (the caller still owns it); the new index or -1.
    int AddIcon(HICON icon);
    bool RemoveAll();
    int GetImageCount() const;

private:
    HIMAGELIST m_list = nullptr;
};
