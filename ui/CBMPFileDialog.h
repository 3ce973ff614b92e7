#pragma once
// The system's explorer-style open dialog with template 101 added at the
// right: a preview box that shows the selected picture through the cache.
#include <windows.h>

#include <string>

#include "framework/FileDialog.h"
#include "image/DeferredPicture.h"

class AppContext;

class CBMPFileDialog : public FileDialog {
public:
    // filter: "text|pattern|...||" in code page 932 ('|' separates fields).
    CBMPFileDialog(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                   DWORD flags, const std::string& filter, HWND parent);
    ~CBMPFileDialog() override;

    // The cache the preview decodes into; without one the preview stays empty.
    void SetContext(AppContext* context);
    // DoModal (IDOK or IDCANCEL), GetPathName and GetFileName come from FileDialog.

    // The picture the preview shows: the current selection, empty at first.
    const std::string& previewPath() const { return m_previewPath; }
    // The preview control's rectangle in the template's client coordinates.
    const RECT& previewRect() const { return m_previewRect; }
    // Whether the selected file's picture waits for the selection to rest.
    bool previewWaiting() const { return m_preview.waiting(); }

protected:
    void OnInitDone() override;
    void OnSelChange() override;
    bool OnFileOk() override;
    void OnPaint() override;

private:
    AppContext* m_context = nullptr;
    std::string m_previewPath;
    DeferredPicture m_preview;  // the picture of m_previewPath, once decoded
    RECT m_previewRect = {0, 0, 0, 0};
};
