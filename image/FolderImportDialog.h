#pragma once
// Adds many pictures at once: every picture of a folder, or the files
// dropped on the list dialog.  Each row is ticked to be added; one style
// and the names (file names without folder) go with every ticked file.
#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "list/CWallPaperData.h"

class AppContext;

class FolderImportDialog : public Dialog {
public:
    explicit FolderImportDialog(AppContext& context);
    ~FolderImportDialog() override;

    void SetFolder(const std::string& folder);               // code page 932
    void SetFiles(const std::vector<std::string>& files);    // full paths, code page 932
    std::vector<std::unique_ptr<CWallPaperData>> TakeEntries();  // after OK, in the file list's order

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    AppContext& m_context;
    std::string m_folder;
    std::vector<std::string> m_files;
    std::vector<std::unique_ptr<CWallPaperData>> m_entries;
};
