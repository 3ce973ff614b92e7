#pragma once
// Chooses one picture inside an archive that a plug-in can list: the
// members pass a file-type filter, show with the icon of their type, and
// the selected one is previewed through the cache.  The result names it as
// "archive|member".
#include <memory>
#include <string>
#include <vector>

#include "framework/ComboBoxCtrl.h"
#include "framework/Dialog.h"
#include "framework/ImageListCtrl.h"
#include "framework/ListViewCtrl.h"
#include "image/DeferredPicture.h"
#include "plugin/CSPISupport.h"

class AppContext;

class CArcFileSelectDlg : public Dialog {
public:
    CArcFileSelectDlg(AppContext& context, const std::string& archivePath);
    ~CArcFileSelectDlg() override;

    std::string ResultPath() const;              // "archive|member" after OK
    const std::string& displayName() const;      // the proposed display name after OK
    const std::string& selectedMember() const { return m_member; }

    // The details shown for a member, lines ended by CR LF.
    static std::string DetailsText(const CArcFileEntry& entry);
    // The filter rows of an open-file filter ("text|pattern|...|"): text and pattern pairs.
    static std::vector<std::pair<std::string, std::string>> FilterRows(const std::string& filter);

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnOK() override;

private:
    void FillMemberList();
    void OnMemberSelected(int row);
    void ClearSelection();
    void PaintPreview();
    // The entry a row stands for, or null.
    const CArcFileEntry* RowEntry(int row) const;

    AppContext& m_context;
    std::string m_archivePath;
    ArcFileList m_entries;
    std::vector<std::string> m_filterPatterns;
    ImageListCtrl m_icons;
    ComboBoxCtrl m_filterBox;
    ListViewCtrl m_memberList;
    RECT m_previewRect = {0, 0, 0, 0};
    int m_filterIndex = 0;
    std::string m_fileName;  // the name box: shown, never the result
    std::string m_member;
    std::string m_displayName;
    std::string m_memberPath;
    DeferredPicture m_preview;  // the picture of m_memberPath, once decoded
    // Set while the window goes away: late notifications touch nothing.
    bool m_closing = false;
};
