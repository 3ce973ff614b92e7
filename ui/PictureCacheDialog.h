#pragma once
// The picture cache management dialog (template 136): every cached picture
// with its size and reference count, a preview of the selected one, check
// all / invert, reload all, and OK unloading the ticked pictures.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/Dialog.h"
#include "framework/ListViewCtrl.h"
#include "image/PictureHold.h"

class AppContext;

// "held/budgetMB": the bytes the cache holds against its budget, in MiB
// rounded up.
std::string BytesHeldText(uint64_t held, uint64_t budget);

// Runs the dialog modally over `parent`; true when it ended with OK.
bool ShowPictureCacheDialog(AppContext& context, HWND parent);

class PictureCacheDialog : public Dialog {
public:
    explicit PictureCacheDialog(AppContext& context);

protected:
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnOK() override;

private:
    // Rows hold no pointer into the cache: "全て読み直し" replaces every
    // picture record, so a row finds its picture by the path it shows.
    void AddRows();
    void OnCheckAll();
    void OnInvert();
    void OnReloadAll();
    void OnItemChanged();
    void OnPaint();
    void ShowBytesHeld();

    AppContext& m_context;
    ListViewCtrl m_list;
    std::string m_previewPath;
    PictureHold m_previewHold;  // the picture of m_previewPath
    RECT m_previewRect = {0, 0, 0, 0};
};
