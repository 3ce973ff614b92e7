#pragma once
// Helpers for tests that run under Wine: temporary folders, temporary
// registry keys (removed afterwards), whole-file bytes.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A fresh folder under the temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    // Code page 932 path with a trailing backslash.
    const std::string& path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }
private:
    std::string m_path;
};

// A per-user registry key for one test, deleted with everything below it.
class TempRegistryKey {
public:
    explicit TempRegistryKey(const std::wstring& path);
    TempRegistryKey();  // a unique key under Software\TavrinTests
    ~TempRegistryKey();
    const std::wstring& path() const { return m_path; }
private:
    std::wstring m_path;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// A value under HKEY_CURRENT_USER\Control Panel\Desktop, or "<none>".
std::string DesktopValue(const wchar_t* name);

// One item of a menu as a user sees it: a separator's text is "-".
struct MenuItemSeen {
    std::string text;  // code page 932
    UINT id;
    bool grey, checked, separator;
};
// The items of `menu` (of this process), top first.
std::vector<MenuItemSeen> ReadMenuItems(HMENU menu);
std::wstring W(const std::string& cp932);
// Pumps the thread's messages until none are left.
void PumpMessages();
// Pumps messages, timers included, until `done` answers true (true) or the
// time is up (false).
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
