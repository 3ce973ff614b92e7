#include "plugin/CSPIStatusDlg.h"

#include "framework/TextBridge.h"
#include "framework/Window.h"
#include "res/resource.h"

namespace {
BOOL RunThroughShell(SHELLEXECUTEINFOW* info) { return ShellExecuteExW(info); }
CSPIStatusDlg::ShellRunner g_shellRunner = &RunThroughShell;
}  // namespace

CSPIStatusDlg::ShellRunner CSPIStatusDlg::SetShellRunner(ShellRunner runner) {
    ShellRunner previous = g_shellRunner;
    g_shellRunner = runner ? runner : &RunThroughShell;
    return previous;
}

CSPIStatusDlg::CSPIStatusDlg(std::string report, std::string modulePath)
    : Dialog(IDD_SPI_STATUS), m_report(std::move(report)), m_modulePath(std::move(modulePath)) {}

BOOL CSPIStatusDlg::OnInitDialog() {
    // No length limit: a plug-in with many support entries makes a long report.
    SendMessageW(Item(IDC_SPI_REPORT), EM_SETLIMITTEXT, 0, 0);
    SetWindowTextCp932(Item(IDC_SPI_REPORT), m_report);
    // The report is for reading: the focus goes to OK, not to a fully selected text.
    SetFocus(Item(IDOK));
    return FALSE;
}

bool CSPIStatusDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    static const CommandEntry<CSPIStatusDlg> kCommands[] = {
        {IDC_SPI_FILE_PROP, &CSPIStatusDlg::OnShowFileProperties},
        {IDC_SPI_MODULE_LIST, &CSPIStatusDlg::OnModuleList},
    };
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        DispatchCommandTable(this, kCommands, LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}

void CSPIStatusDlg::OnShowFileProperties() {
    std::wstring file = ToWide(m_modulePath);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = nullptr;
    info.lpVerb = L"properties";
    info.lpFile = file.c_str();
    info.nShow = 0;
    g_shellRunner(&info);  // the system shows its window, or its own answer
}
