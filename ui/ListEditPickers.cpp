#include "ui/ListEditPickers.h"

#include <windows.h>
#include <commdlg.h>

#include "ui/CBMPFileDialog.h"
#include "ui/FolderImportDialog.h"
#include "context/AppContext.h"
#include "ui/CArcFileSelectDlg.h"
#include "plugin/CSPIControl.h"
#include "util/PathPieces.h"

bool ChoosePicture(AppContext& context, HWND owner, PictureChoice* choice) {
    std::string filter = context.cache().pluginHost().GetOpenFilter(true);
    CBMPFileDialog files(true, std::string(), std::string(), OFN_EXPLORER | OFN_HIDEREADONLY, filter, owner);
    files.SetContext(&context);
    if (files.DoModal() != IDOK) return false;
    std::string path = files.GetPathName();
    std::string name = FileNameOf(path);
    if (path.empty()) return false;

    if (context.cache().pluginHost().IsArchiveFile(name)) {
        CArcFileSelectDlg archive(context, path);
        if (archive.DoModal(owner) != IDOK) return false;
        std::string member = archive.ResultPath();
        if (member.empty()) return false;
        choice->path = member;
        choice->displayName = archive.displayName();
        return true;
    }
    choice->path = path;
    choice->displayName = name;
    return true;
}

std::vector<std::unique_ptr<CWallPaperData>> ImportPictures(AppContext& context, HWND owner,
                                                            const std::string& folder,
                                                            const std::vector<std::string>& files) {
    FolderImportDialog import(context);
    if (files.empty())
        import.SetFolder(folder);
    else
        import.SetFiles(files);
    if (import.DoModal(owner) != IDOK) return {};
    return import.TakeEntries();
}
