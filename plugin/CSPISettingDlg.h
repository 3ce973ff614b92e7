#pragma once
// The plug-in settings dialog (template 135): one row per plug-in, grouped
// by type, with a check box for its enabled flag; "設定" opens the plug-in's
// own configuration dialog and "概要" its status.  Only OK changes anything.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/ListViewCtrl.h"

class CSPIControl;

class CSPISettingDlg : public Dialog {
public:
    explicit CSPISettingDlg(CSPIControl& host);

    // The row's type text: image, archive, or neither.
    static std::string TypeText(uint8_t typeFlags);
    // Order of two type texts by the system locale; a failed comparison is 0.
    static int CompareTypeTexts(const std::string& a, const std::string& b);

protected:
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnOK() override;

private:
    // What each row carries: the plug-in it stands for (rows are sorted, so
    // the row position says nothing) and its type text.
    struct Row {
        int index;
        std::string typeText;
    };

    void AddRow(int index);
    void OnItemChanged();
    void OnConfigure();
    void OnAbout();
    // The plug-in of the first selected row, or -1.
    int SelectedPlugin() const;
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM);

    CSPIControl& m_host;
    ListViewCtrl m_list;
    std::vector<std::unique_ptr<Row>> m_rows;
};
