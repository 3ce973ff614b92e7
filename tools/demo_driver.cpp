// Shows Tavrin working without a person at the screen: starts it, opens its
// menu with a right click on the icon, rests on the first wallpaper so the
// preview shows, chooses it, opens the menu again with the automatic change's
// submenu, and ends it.  At each stage it creates a marker file in FOLDER
// (menu-open, chosen, submenu-open) and waits for the matching *-done file,
// so the caller can take a screenshot meanwhile.
//   demo-driver TAVRIN_EXE FOLDER [STEPS]
// With STEPS it goes down that many items to the monitor submenu, opens it
// and rests on the second monitor instead, which it then chooses.
#include <windows.h>

#include <string>

namespace {
bool WaitFor(bool (*test)(void*), void* arg, DWORD ms) {
    for (DWORD start = GetTickCount(); !test(arg);) {
        if (GetTickCount() - start > ms) return false;
        Sleep(50);
    }
    return true;
}
bool Exists(void* path) { return GetFileAttributesW(static_cast<std::wstring*>(path)->c_str()) != INVALID_FILE_ATTRIBUTES; }
bool MenuOpen(void*) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu && IsWindowVisible(menu);
}
bool TrayThere(void* out) {
    *static_cast<HWND*>(out) = FindWindowW(L"TavrinTrayWindow", nullptr);
    return *static_cast<HWND*>(out) != nullptr;
}
void Stage(const std::wstring& folder, const wchar_t* name) {
    std::wstring marker = folder + L"\\" + name, done = marker + L"-done";
    CloseHandle(CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WaitFor(Exists, &done, 20000);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) return 2;
    const int submenuSteps = argc == 4 ? _wtoi(argv[3]) : 0;
    std::wstring exe = argv[1], folder = argv[2];
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
    HWND tray = nullptr;
    if (!WaitFor(TrayThere, &tray, 20000)) return 1;
    Sleep(1000);
    PostMessageW(tray, 0x800C /* the icon's callback */, 100, WM_RBUTTONUP);
    if (!WaitFor(MenuOpen, nullptr, 10000)) return 1;
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (submenuSteps > 0) {
        for (int i = 0; i < submenuSteps; ++i) {
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            Sleep(100);
        }
        PostMessageW(menu, WM_KEYDOWN, VK_RIGHT, 0);  // opens it on its first item
        Sleep(300);
        for (int i = 0; i < 2; ++i) {
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            Sleep(100);
        }
    } else {
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);  // rest on the top wallpaper: the preview shows
    }
    Sleep(1500);
    Stage(folder, L"menu-open");
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    Sleep(1500);
    Stage(folder, L"chosen");
    // Three wallpapers, "次の壁紙(&N)", then "自動切替(&T)" with its submenu.
    PostMessageW(tray, 0x800C, 100, WM_RBUTTONUP);
    if (!WaitFor(MenuOpen, nullptr, 10000)) return 1;
    menu = FindWindowW(L"#32768", nullptr);
    for (int i = 0; i < 5; ++i) {
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(100);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_RIGHT, 0);
    Sleep(1500);
    Stage(folder, L"submenu-open");
    // Esc closes the submenu, then the menu.
    for (int i = 0; i < 10; ++i) {
        HWND open = FindWindowW(L"#32768", nullptr);
        if (!open || !IsWindowVisible(open)) break;
        PostMessageW(open, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(300);
    }
    PostMessageW(tray, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, 15000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return 0;
}
