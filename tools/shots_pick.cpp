// Pictures of the picture pickers for the documentation: draws demo
// pictures (and a demo archive) in C:\壁紙, opens one picker as the program
// does, picks something so the preview shows, and once the dialog is on the
// screen saves its window as a BMP and closes it.
//   shots-pick DIALOG OUTPUT.bmp [PLUGIN-FOLDER]
//   DIALOG: image-file, folder-import or archive-select (which needs the
//   folder of a tar and a Netpbm plug-in)
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "ui/CBMPFileDialog.h"
#include "ui/FolderImportDialog.h"
#include "context/AppContext.h"
#include "ui/CArcFileSelectDlg.h"
#include "plugin/CSPIControl.h"
#include "tools/ShotSupport.h"

namespace {
const char* const kDemoFolder = "C:\\\x95\xc7\x8e\x86\\";  // the folder 壁紙 at the root of C:

DialogShot g_shot;
Dialog* g_dialog = nullptr;
FileDialog* g_fileDialog = nullptr;

std::string DemoPpm(int width, int height, COLORREF from, COLORREF to) {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = BlendColour(from, to, (x * 2 + y) * 255 / (width * 2 + height));
            bytes += (char)GetRValue(c);
            bytes += (char)GetGValue(c);
            bytes += (char)GetBValue(c);
        }
    return bytes;
}

// A ustar archive of stored members.
std::string DemoTar(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string tar;
    for (const auto& m : members) {
        char header[512] = {};
        snprintf(header, 100, "%s", m.first.c_str());
        snprintf(header + 100, 8, "%07o", 0644);
        snprintf(header + 108, 8, "%07o", 0);
        snprintf(header + 116, 8, "%07o", 0);
        snprintf(header + 124, 12, "%011o", (unsigned)m.second.size());
        snprintf(header + 136, 12, "%011o", 1765000000u);
        header[156] = '0';
        memcpy(header + 257, "ustar\0" "00", 8);
        memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char c : header) sum += c;
        snprintf(header + 148, 8, "%06o", sum);
        tar.append(header, 512);
        tar += m.second;
        tar.append((512 - m.second.size() % 512) % 512, '\0');
    }
    tar.append(1024, '\0');
    return tar;
}

HWND DialogWindow() { return g_dialog ? g_dialog->hwnd() : nullptr; }
HWND FileDialogWindow() { return g_fileDialog ? g_fileDialog->dialogWindow() : nullptr; }

void SelectSunset(HWND dialog) {
    HWND list = FindDescendant(dialog, L"SysListView32");
    int n = list ? (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    for (int i = 0; i < n; ++i) {
        wchar_t text[260] = {};
        LVITEMW item = {};
        item.pszText = text;
        item.cchTextMax = 260;
        SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)i, (LPARAM)&item);
        if (wcsstr(text, L"夕焼け")) {
            SetListViewRowState(list, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            return;
        }
    }
}

void SelectSecondFile(HWND dialog) {
    auto* import = static_cast<FolderImportDialog*>(g_dialog);
    HWND list = import->fileList().hwnd();
    import->fileList().SetCheck(2, CheckListBox::kUnchecked);
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), (LPARAM)list);
    SetFocus(list);
}

void SelectSecondMember(HWND dialog) {
    HWND list = FindDescendant(dialog, L"SysListView32");
    SetListViewRowState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    std::wstring which = argv[1];
    g_shot.output = argv[2];
    std::string pluginFolder = argc > 3 ? ToCp932(argv[3]) : std::string();

    std::string folder = kDemoFolder;
    CreateDirectoryW(ToWide(folder).c_str(), nullptr);
    WriteFileBytes(folder + "夕焼け.bmp", DemoBmp(160, 120, RGB(250, 120, 40), RGB(40, 30, 120)));
    WriteFileBytes(folder + "森.bmp", DemoBmp(160, 120, RGB(30, 110, 40), RGB(200, 230, 120)));
    WriteFileBytes(folder + "tiles.bmp", DemoBmp(64, 64, RGB(200, 200, 220), RGB(60, 60, 90)));
    WriteFileBytes(folder + "雪山.bmp", DemoBmp(160, 120, RGB(240, 245, 255), RGB(80, 120, 200)));
    WriteFileBytes(folder + "湖.bmp", DemoBmp(160, 120, RGB(90, 160, 220), RGB(20, 40, 80)));
    WriteFileBytes(folder + "旅の写真.tar",
                   DemoTar({{"北海道/流氷.ppm", DemoPpm(120, 90, RGB(230, 240, 255), RGB(40, 90, 170))},
                            {"北海道/花畑.ppm", DemoPpm(120, 90, RGB(250, 200, 230), RGB(120, 40, 140))},
                            {"沖縄/海.ppm", DemoPpm(120, 90, RGB(60, 200, 220), RGB(10, 60, 120))},
                            {"メモ.txt", "旅の記録"}}));

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", folder + "List.tvl");
    profile.WriteString("Settings", "DeskCalPath", "");
    profile.WriteInt("Settings", "EnableHalfTone", 1);
    if (!pluginFolder.empty()) {
        profile.WriteInt("Settings", "EnableSPI", 1);
        profile.WriteString("Settings", "SPIPath", pluginFolder);
    }
    DeleteFileW(ToWide(folder + "List.tvl").c_str());
    AppContext context(profile);

    StartDialogShot(g_shot);
    if (which == L"image-file") {
        SetCurrentDirectoryW(ToWide(folder).c_str());
        CBMPFileDialog dialog(true, "", "", OFN_EXPLORER | OFN_HIDEREADONLY,
                              context.cache().pluginHost().GetOpenFilter(true), nullptr);
        dialog.SetContext(&context);
        g_fileDialog = &dialog;
        g_shot.find = &FileDialogWindow;
        g_shot.prepare = &SelectSunset;
        dialog.DoModal();
    } else if (which == L"folder-import") {
        FolderImportDialog dialog(context);
        dialog.SetFolder(folder);
        g_dialog = &dialog;
        g_shot.find = &DialogWindow;
        g_shot.prepare = &SelectSecondFile;
        dialog.DoModal(nullptr);
    } else if (which == L"archive-select") {
        CArcFileSelectDlg dialog(context, folder + "旅の写真.tar");
        g_dialog = &dialog;
        g_shot.find = &DialogWindow;
        g_shot.prepare = &SelectSecondMember;
        dialog.DoModal(nullptr);
    } else {
        return 2;
    }
    context.list().SetPath(std::string());  // the demo list is not kept
    return g_shot.saved ? 0 : 1;
}
