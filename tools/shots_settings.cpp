// Opens the settings dialog on the program's own list and settings (kept in
// memory: nothing is written) and saves pictures of it, folded and expanded,
// as BMP files in the folder named on the command line.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "context/AppContext.h"
#include "res/resource.h"
#include "tools/ShotSupport.h"
#include "ui/SettingsDialog.h"

namespace {
std::wstring g_folder;
SettingsDialog* g_dialog = nullptr;
int g_stage = 0;
bool g_ok = true;

void CALLBACK Step(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = g_dialog ? g_dialog->hwnd() : nullptr;
    if (!dialog || !IsWindowVisible(dialog)) return;
    switch (g_stage++) {
    case 0:  // let it paint
        SetForegroundWindow(dialog);
        break;
    case 1:
        g_ok &= SaveWindowPicture(dialog, g_folder + L"\\settings-folded.bmp");
        SendMessageW(GetDlgItem(dialog, IDC_SET_FOLD_BUTTON), BM_CLICK, 0, 0);
        break;
    case 2:
        break;
    case 3:
        g_ok &= SaveWindowPicture(dialog, g_folder + L"\\settings-expanded.bmp");
        KillTimer(nullptr, id);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        break;
    default:
        break;
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    g_folder = argv[1];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    MemoryProfile profile;
    profile.WriteString("Settings", "DeskCalPath", "");
    profile.WriteString("Settings", "SPIPath", ProgramDirectory() + "plugins");
    profile.WriteInt("Settings", "EnableSPI", 1);
    profile.WriteBinary("Settings", "Ports", {1, 0});
    AppContext context(profile);
    {
        SettingsDialog dialog(context);
        g_dialog = &dialog;
        SetTimer(nullptr, 0, 700, &Step);
        dialog.DoModal(nullptr);
        g_dialog = nullptr;
    }
    context.list().SetPath("");  // the program's list file stays as it was
    return g_ok && g_stage >= 4 ? 0 : 1;
}
