#pragma once
// What a running program costs, read from another process: the modules it
// has loaded, its working set, and whether its notification-area icon is there.
#include <windows.h>

#include <string>
#include <vector>

// Lower-case base names ("comdlg32.dll") of the modules loaded in process
// `pid`; empty when the snapshot cannot be taken.
std::vector<std::string> LoadedModules(DWORD pid);
bool HasModule(const std::vector<std::string>& modules, const char* name);

// The working set in bytes (0 when it cannot be read).
SIZE_T WorkingSetBytes(HANDLE process);

// True when icon `id` of `window` is in the notification area: modifying an
// icon succeeds only for one that was added.
bool TrayIconShown(HWND window, UINT id);

// The first top-level window of class `className` that belongs to process `pid`.
HWND FindProcessWindow(DWORD pid, const wchar_t* className);
