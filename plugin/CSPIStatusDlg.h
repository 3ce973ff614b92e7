#pragma once
// The plug-in status dialog (template 144): the report in a read-only edit
// control and a button that opens the system's properties window of the
// plug-in file.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/Dialog.h"

class CSPIStatusDlg : public Dialog {
public:
    // report: CR LF line breaks; both texts code page 932.
    CSPIStatusDlg(std::string report, std::string modulePath);

    const std::string& report() const { return m_report; }

    // What "Show file prop." hands the request to: the shell, or a test's recorder.
    using ShellRunner = BOOL (*)(SHELLEXECUTEINFOW* info);
    // Null restores the shell; returns the previous runner.
    static ShellRunner SetShellRunner(ShellRunner runner);

protected:
    BOOL OnInitDialog() override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnShowFileProperties();
    void OnModuleList() {}  // kept hidden; does nothing

    std::string m_report;
    std::string m_modulePath;
};
