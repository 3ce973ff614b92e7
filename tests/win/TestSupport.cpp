#include "TestSupport.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "framework/TextBridge.h"

namespace {
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + L"\\");
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}
}  // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        std::wstring dir = std::wstring(base) + L"tavrin-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(++counter) + L"\\";
        if (CreateDirectoryW(dir.c_str(), nullptr)) {
            m_path = ToCp932(dir);
            return;
        }
    }
}

TempDir::~TempDir() { RemoveTree(ToWide(m_path)); }

TempRegistryKey::TempRegistryKey(const std::wstring& path) : m_path(path) {
    SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
}

TempRegistryKey::TempRegistryKey() {
    static int counter = 0;
    m_path = L"Software\\TavrinTests\\k" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
}

TempRegistryKey::~TempRegistryKey() {
    SHDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
    SHDeleteEmptyKeyW(HKEY_CURRENT_USER, L"Software\\TavrinTests");
}

std::string ReadBytes(const std::string& path) {
    std::string out;
    HANDLE f = CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got;
    while (ReadFile(f, buf, sizeof(buf), &got, nullptr) && got) out.append(buf, got);
    CloseHandle(f);
    return out;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put;
    WriteFile(f, bytes.data(), (DWORD)bytes.size(), &put, nullptr);
    CloseHandle(f);
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring W(const std::string& cp932) { return ToWide(cp932); }

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string DesktopValue(const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, buf, &size))
        return "<none>";
    return ToCp932(buf);
}

std::vector<MenuItemSeen> ReadMenuItems(HMENU menu) {
    std::vector<MenuItemSeen> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        items.push_back(MenuItemSeen{separator ? "-" : ToCp932(text), info.wID, (info.fState & MFS_GRAYED) != 0,
                                     (info.fState & MFS_CHECKED) != 0, separator});
    }
    return items;
}
