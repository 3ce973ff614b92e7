// Pictures of the management dialogs for the documentation: a picture cache
// with demo pictures drawn on the spot (in C:\画像キャッシュ), demo plug-ins
// copied from a folder, and one dialog opened as the program opens it; once
// it is on screen the dialog's window is saved as a BMP and closed.
//   shots-manage cache OUTPUT.bmp
//   shots-manage plugins|status OUTPUT.bmp PLUGIN_FOLDER
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "ui/PictureCacheDialog.h"
#include "context/AppContext.h"
#include "plugin/CSPIControl.h"
#include "plugin/PluginDialogs.h"
#include "plugin/SusieTypes.h"
#include "res/resource.h"
#include "tools/ShotSupport.h"

namespace {
const char* const kDemoFolder = "C:\\画像キャッシュ\\";

DialogShot g_shot;

// One row ticked, another selected so the preview shows.
void PrepareCache(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_CACHE_LIST);
    SetListViewRowState(list, 2, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
    SetListViewRowState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
}

// The image plug-in with its own configuration dialog selected.
void PreparePlugins(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SPI_LIST);
    int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < rows; ++row) {
        wchar_t name[64] = {};
        LVITEMW item = {};
        item.iSubItem = 1;
        item.pszText = name;
        item.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
        if (lstrcmpiW(name, ToWide(std::string("mg_verfall") + kPluginExtension).c_str()) == 0)
            SetListViewRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    SetFocus(list);
}

int ShowCache(AppContext& context) {
    struct Demo { const char* file; int w, h; COLORREF from, to; int loads; };
    const Demo demo[] = {
        {"夕焼け.bmp", 320, 240, RGB(250, 120, 40), RGB(40, 30, 120), 1},
        {"森.bmp", 200, 150, RGB(30, 110, 40), RGB(200, 230, 120), 3},
        {"雪山.bmp", 400, 300, RGB(240, 245, 255), RGB(80, 120, 200), 2},
        {"タイル.bmp", 64, 64, RGB(200, 200, 220), RGB(60, 60, 90), 1},
    };
    for (const Demo& d : demo) {
        std::string path = std::string(kDemoFolder) + d.file;
        WriteFileBytes(path, DemoBmp(d.w, d.h, d.from, d.to));
        for (int i = 0; i < d.loads; ++i) context.cache().Load(path);
    }
    g_shot.prepare = &PrepareCache;
    ShowPictureCacheDialog(context, nullptr);
    return 0;
}

// Copies the demo plug-ins from `from` into the demo folder.
std::string InstallPlugins(const std::wstring& from) {
    std::string folder = std::string(kDemoFolder) + "spi\\";
    CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    // This edition's kind of the test plug-ins (".spi" or ".sph").
    for (const char* stem : {"mg_verfall", "mg_plain", "mg_arc", "mg_arc2"}) {
        std::wstring name = ToWide(std::string(stem) + kPluginExtension);
        CopyFileW((from + L"\\" + name).c_str(), (ToWide(folder) + name).c_str(), FALSE);
    }
    return folder;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    std::wstring which = argv[1];
    g_shot.output = argv[2];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CreateDirectoryW(ToWide(kDemoFolder).c_str(), nullptr);

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", std::string(kDemoFolder) + "List.tvl");
    profile.WriteString("Settings", "DeskCalPath", "");
    if (argc >= 4) {
        profile.WriteInt("Settings", "EnableSPI", 1);
        profile.WriteString("Settings", "SPIPath", InstallPlugins(argv[3]));
        profile.WriteString("Settings", "DisableSPIs", std::string("mg_arc2") + kPluginExtension);
    }
    AppContext context(profile);
    g_shot.closeWithOk = true;  // the status dialog has only OK
    StartDialogShot(g_shot);
    if (which == L"cache") {
        ShowCache(context);
    } else if (which == L"plugins" && argc >= 4) {
        g_shot.prepare = &PreparePlugins;
        context.cache().pluginHost().ShowSettingDialog(nullptr);
    } else if (which == L"status" && argc >= 4) {
        CSPIControl& host = context.cache().pluginHost();
        for (int i = 0; i < host.GetPluginCount(); ++i)
            if (host.GetFileName(i) == std::string("mg_verfall") + kPluginExtension) ShowPluginStatus(host, i, nullptr);
    } else {
        return 2;
    }
    context.list().SetPath(std::string());  // the demo list is not kept
    return g_shot.saved ? 0 : 1;
}
