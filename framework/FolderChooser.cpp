#include "framework/FolderChooser.h"

#include <shlobj.h>

#include "framework/TextBridge.h"

std::string ChooseFolder(HWND owner, const std::string& title) {
    // The chooser's tree is a shell view: it wants COM on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring wideTitle = ToWide(title);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    std::string chosen;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
        // Long paths are refused here: the list holds platform paths only.
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(item, path) && path[0]) {
            chosen = PathToCp932(path);
            // A name that code page 932 cannot write, even short, leads nowhere.
            if (GetFileAttributesW(ToWide(chosen).c_str()) == INVALID_FILE_ATTRIBUTES) chosen.clear();
        }
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}
