// Pictures of the list-editing dialogs for the documentation: builds a
// demo list (pictures drawn on the spot in C:\壁紙), opens one dialog as the
// program does, and once it is on screen saves the dialog's window as a BMP
// and closes it.
//   shots-list DIALOG OUTPUT.bmp      DIALOG: list, entry-add, entry-edit or entry-styles
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "context/AppContext.h"
#include "res/resource.h"
#include "tools/ShotSupport.h"
#include "ui/WallpaperEntryDialog.h"
#include "ui/WallpaperListDialog.h"

namespace {
const char* const kDemoFolder = "C:\\\x95\xc7\x8e\x86\\";  // the folder 壁紙 at the root of C:

DialogShot g_shot;
Dialog* g_dialog = nullptr;

HWND DialogWindow() { return g_dialog ? g_dialog->hwnd() : nullptr; }

void SelectSecondRow(HWND) {
    auto* list = static_cast<WallpaperListDialog*>(g_dialog);
    list->rows().SelectItem(1);
    SetFocus(list->rows().hwnd());
}

void DropStyleList(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_ENTRY_STYLE);
    SetFocus(combo);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
}

// The style combo box's list while it is dropped down.
HWND DroppedList() {
    HWND list = FindWindowW(L"ComboLBox", nullptr);
    return list && IsWindowVisible(list) ? list : nullptr;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 3) return 2;
    std::wstring which = argv[1];
    g_shot.output = argv[2];

    CreateDirectoryW(ToWide(kDemoFolder).c_str(), nullptr);
    struct Demo { const char* name; const char* file; DisplayStyle style; bool inUse; COLORREF from, to; };
    const Demo demo[] = {
        {"夕焼けの海", "夕焼け.bmp", kStyleStretch, true, RGB(250, 120, 40), RGB(40, 30, 120)},
        {"森の小道", "森.bmp", kStyleCentre, true, RGB(30, 110, 40), RGB(200, 230, 120)},
        {"タイル模様", "tiles.bmp", kStyleTile, false, RGB(200, 200, 220), RGB(60, 60, 90)},
        {"雪山", "雪山.bmp", kStyleStretch, true, RGB(240, 245, 255), RGB(80, 120, 200)},
    };

    MemoryProfile profile;
    profile.WriteString("Settings", "ConfPath", std::string(kDemoFolder) + "List.tvl");
    profile.WriteString("Settings", "DeskCalPath", "");
    DeleteFileW(ToWide(std::string(kDemoFolder) + "List.tvl").c_str());
    AppContext context(profile);
    for (const Demo& d : demo) {
        std::string path = std::string(kDemoFolder) + d.file;
        WriteFileBytes(path, DemoBmp(160, 120, d.from, d.to));
        auto entry = std::make_unique<CWallPaperData>(d.name, path, d.style);
        entry->m_bInUse = d.inUse;
        // Front insertion: the list holds the demo in reverse, the dialog shows it in order.
        context.list().InsertFront(std::move(entry));
    }

    g_shot.find = &DialogWindow;
    StartDialogShot(g_shot);
    if (which == L"list") {
        WallpaperListDialog dialog(context);
        g_dialog = &dialog;
        g_shot.prepare = &SelectSecondRow;
        dialog.DoModal(nullptr);
    } else if (which == L"entry-add" || which == L"entry-edit" || which == L"entry-styles") {
        WallpaperEntryDialog dialog(context);
        if (which == L"entry-edit") {
            dialog.SetEditMode(true);
            dialog.SetValues(demo[0].name, std::string(kDemoFolder) + demo[0].file, demo[0].style);
        } else if (which == L"entry-styles") {
            // A photo fitted, with the style list open: every style there is.
            dialog.SetEditMode(true);
            dialog.SetValues(demo[0].name, std::string(kDemoFolder) + demo[0].file, kStyleFit);
            g_shot.prepare = &DropStyleList;
            g_shot.also = &DroppedList;
        }
        g_dialog = &dialog;
        dialog.DoModal(nullptr);
    } else {
        return 2;
    }
    context.list().SetPath(std::string());  // the demo list is not kept
    return g_shot.saved ? 0 : 1;
}
