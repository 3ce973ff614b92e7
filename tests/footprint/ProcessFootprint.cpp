#include "ProcessFootprint.h"

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cctype>

#include "framework/Handles.h"

std::vector<std::string> LoadedModules(DWORD pid) {
    std::vector<std::string> names;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid));
    if (!snapshot) return names;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry)) {
        std::string name;
        // System module names are ASCII; anything else cannot match them anyway.
        for (const wchar_t* c = entry.szModule; *c; ++c)
            name += (*c < 0x80) ? static_cast<char>(std::tolower(static_cast<int>(*c))) : '?';
        names.push_back(name);
    }
    return names;
}

bool HasModule(const std::vector<std::string>& modules, const char* name) {
    return std::find(modules.begin(), modules.end(), std::string(name)) != modules.end();
}

SIZE_T WorkingSetBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
    return counters.WorkingSetSize;
}

bool TrayIconShown(HWND window, UINT id) {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = id;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

namespace {
struct FindContext { DWORD pid; const wchar_t* className; HWND found; };

BOOL CALLBACK FindInProcess(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindContext*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    if (pid != f->pid || !GetClassNameW(hwnd, cls, 64) || wcscmp(cls, f->className) != 0) return TRUE;
    f->found = hwnd;
    return FALSE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* className) {
    FindContext f = {pid, className, nullptr};
    EnumWindows(FindInProcess, reinterpret_cast<LPARAM>(&f));
    return f.found;
}
