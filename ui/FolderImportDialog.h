#pragma once
// Adds many pictures at once: every picture of a folder, or those of the
// files dropped on the list dialog.  Each row is ticked to be added; one
// style goes with every ticked file, and each file's name with extension
// becomes its display name.
#include <memory>
#include <string>
#include <vector>

#include "framework/CheckListBox.h"
#include "framework/ComboBoxCtrl.h"
#include "framework/Dialog.h"
#include "framework/Window.h"
#include "image/DeferredPicture.h"
#include "list/CWallPaperData.h"

class AppContext;

class FolderImportDialog : public Dialog {
public:
    explicit FolderImportDialog(AppContext& context);
    ~FolderImportDialog() override;

    void SetFolder(const std::string& folder);               // code page 932
    void SetFiles(const std::vector<std::string>& files);    // full paths, code page 932
    std::vector<std::unique_ptr<CWallPaperData>> TakeEntries();  // after OK, in the file list's order

    // The full paths of the files in `folder` whose long names `patterns`
    // accept (blank-separated wildcards, "*.*" for every file), each once,
    // in the order the folder listing yields them.
    static std::vector<std::string> FindInFolder(const std::string& folder, const std::string& patterns);
    // Those of `files` that `patterns` accept.
    static std::vector<std::string> FilterFiles(const std::vector<std::string>& files, const std::string& patterns);

    const std::string& previewPath() const { return m_previewPath; }
    // The file list, for a look at its rows and ticks while the dialog runs.
    CheckListBox& fileList() { return m_fileList; }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnOK() override;

private:
    static const CommandEntry<FolderImportDialog> kCommands[];
    void OnCheckAll();
    void OnInvert();
    void FillStyles();
    void FillFiles();
    void OnSelectionChange();
    void PaintPreview();
    // The path a row stands for; empty for a row out of range.
    std::string RowPath(int row) const;

    AppContext& m_context;
    std::string m_folder;
    std::vector<std::string> m_files;
    int m_styleIndex = 0;
    std::vector<std::unique_ptr<CWallPaperData>> m_entries;
    std::string m_previewPath;
    DeferredPicture m_preview;  // the picture of m_previewPath, once decoded
    // The style chosen in the combo box: fit and fill keep the aspect in the preview.
    DisplayStyle ChosenStyle() const;
    RECT m_previewRect = {0, 0, 0, 0};
    // Row data is an index into this store, which lives as long as the dialog
    // object, so a row can never reach a freed path.
    std::vector<std::string> m_rowPaths;
    CheckListBox m_fileList;
    ComboBoxCtrl m_styles;
};
