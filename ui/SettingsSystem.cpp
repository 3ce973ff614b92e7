#include "ui/SettingsSystem.h"

#include <commdlg.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "framework/FolderChooser.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"

std::wstring FileDialogFilter(const std::string& filter) {
    std::wstring wide = ToWide(filter);
    for (wchar_t& c : wide)
        if (c == L'|') c = L'\0';
    // Two NULs end the list whatever the text ended with.
    wide.push_back(L'\0');
    wide.push_back(L'\0');
    return wide;
}

bool ChooseFileToOpen(HWND owner, const std::string& filter, std::string* path) {
    std::wstring filters = FileDialogFilter(filter);
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    name.back() = L'\0';
    *path = PathToCp932(name.data());
    return !path->empty();
}

bool ChooseFileSystemFolder(HWND owner, const std::string& title, std::string* path) {
    std::string chosen = ChooseFolder(owner, title);
    if (chosen.empty()) return false;
    *path = chosen;
    return true;
}

bool SnapshotModules(std::vector<LoadedModule>* modules) {
    modules->clear();
    // The snapshot can fail with ERROR_BAD_LENGTH while a module is being
    // loaded or unloaded; a few tries get past that.
    UniqueFile snapshot;
    for (int attempt = 0; attempt < 5 && !snapshot; ++attempt) {
        snapshot.reset(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId()));
        if (!snapshot && GetLastError() != ERROR_BAD_LENGTH) break;
    }
    if (!snapshot) return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry)) {
        entry.szModule[MAX_MODULE_NAME32] = L'\0';
        entry.szExePath[MAX_PATH - 1] = L'\0';
        modules->push_back(LoadedModule{ToCp932(entry.szModule), PathToCp932(entry.szExePath)});
        entry.dwSize = sizeof(entry);
    }
    return true;
}

void ShowFileProperties(HWND owner, const std::string& path) {
    std::wstring file = ToWide(path);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.hwnd = owner;
    info.lpVerb = L"properties";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
}
