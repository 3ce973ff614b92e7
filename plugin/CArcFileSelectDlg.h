#pragma once
// Chooses one picture inside an archive that a plug-in can list.  The
// result names it as "archive|member".
#include <string>

#include "framework/Dialog.h"

class AppContext;

class CArcFileSelectDlg : public Dialog {
public:
    CArcFileSelectDlg(AppContext& context, const std::string& archivePath);
    ~CArcFileSelectDlg() override;

    std::string ResultPath() const;              // "archive|member" after OK
    const std::string& displayName() const;      // the proposed display name after OK

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    AppContext& m_context;
    std::string m_archivePath;
    std::string m_member;
    std::string m_displayName;
};
