#pragma once
// The whole wallpaper list as a table: one check box per entry (its use
// flag), reordering, adding one entry, many from a folder or dropped files,
// editing, deleting, and a preview of the selected entry's picture.
//
// Rows refer to live entries: those of the list, and those added here that
// the dialog owns until OK hands them to the list (Cancel destroys them).
// Editing and deleting act on the list at once; order and use flags reach it
// only at OK.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Window.h"
#include "framework/ListViewCtrl.h"
#include "image/DeferredPicture.h"
#include "list/CWallPaperData.h"

class AppContext;

class WallpaperListDialog : public Dialog {
public:
    explicit WallpaperListDialog(AppContext& context);
    ~WallpaperListDialog() override;

    // Set by moves, adds, deletions and path edits; the opener reads it to
    // see whether the selected wallpaper may be gone.
    bool listChanged() const { return m_listChanged; }
    // Whether the list itself differs from when the dialog opened (any edit,
    // deletion, or the order and flags written at OK): it must be saved.
    bool listModified() const { return m_listModified; }

    // Row access for whoever drives the dialog (tests, screenshots).
    ListViewCtrl& rows() { return m_rows; }
    CWallPaperData* RowEntry(int row) const;
    const std::string& previewPath() const { return m_previewPath; }
    // Whether the selected row's picture waits for the selection to rest.
    bool previewWaiting() const { return m_preview.waiting(); }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void OnMoveUp() { Move(-1); }
    void OnMoveDown() { Move(+1); }
    void OnAdd();
    void OnAddFolder();
    void OnDeleteUnchecked();
    void OnEditRow();
    LRESULT OnNotify(const NMHDR& header);
    void OnPaint();
    void OnDropFiles(HDROP drop);

    // Inserts a row for `entry` at `index` with its check box as given.
    int BuildRow(int index, CWallPaperData* entry, bool checked);
    void Move(int delta);
    void ShowPreviewOfSelection();
    void InvalidatePreview();
    // Rows for imported entries at the end, the last one first.
    void AppendImported(std::vector<std::unique_ptr<CWallPaperData>> entries);
    // Removes the entry from the list (or from the entries added here) and
    // destroys it; true when it was in the list.
    bool DestroyEntry(CWallPaperData* entry);

    static const CommandEntry<WallpaperListDialog> kCommands[];

    AppContext& m_context;
    bool m_listChanged = false;
    bool m_listModified = false;
    ListViewCtrl m_rows;
    std::string m_previewPath;
    DeferredPicture m_preview;  // the picture of m_previewPath, once decoded
    DisplayStyle m_previewStyle = kStyleStretch;  // fit and fill keep the aspect
    RECT m_previewRect = {0, 0, 0, 0};
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
    // Entries added in this dialog and not yet in the list.
    std::vector<std::unique_ptr<CWallPaperData>> m_added;
};
