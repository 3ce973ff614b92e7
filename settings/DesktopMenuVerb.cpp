#include "settings/DesktopMenuVerb.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/TextBridge.h"

namespace {
const wchar_t* const kCommandSubkey = L"\\command";

bool SetText(HKEY key, const wchar_t* name, const std::string& text) {
    const std::wstring w = ToWide(text);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                          static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// A persistent key (never volatile: the verb must outlive the log-on).
HKEY CreateKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The default value of a key, bounded: a value larger than any path is no command of ours.
bool ReadDefault(const std::wstring& path, std::wstring* out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    std::vector<wchar_t> buffer(4 * MAX_PATH + 1, L'\0');
    DWORD type = 0, bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    const LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    buffer[std::min<size_t>(bytes / sizeof(wchar_t), buffer.size() - 1)] = L'\0';
    *out = buffer.data();
    return true;
}
}  // namespace

std::string DesktopVerbCommand(const std::string& exePath) { return "\"" + exePath + "\" /next"; }

bool DesktopVerbRunsProgram(const std::string& exePath) {
    std::wstring command;
    if (!ReadDefault(ToWide(kDesktopVerbKey) + kCommandSubkey, &command)) return false;
    // File names are compared as the system does, without regard to case.
    return _wcsicmp(command.c_str(), ToWide(DesktopVerbCommand(exePath)).c_str()) == 0;
}

bool RegisterDesktopVerb(const std::string& exePath) {
    const std::wstring path = ToWide(kDesktopVerbKey);
    HKEY verb = CreateKey(path);
    if (!verb) return false;
    bool ok = SetText(verb, nullptr, kDesktopVerbText) && SetText(verb, L"MUIVerb", kDesktopVerbText) &&
              SetText(verb, L"Icon", exePath + ",0");
    RegCloseKey(verb);
    HKEY command = ok ? CreateKey(path + kCommandSubkey) : nullptr;
    if (!command) return false;
    ok = SetText(command, nullptr, DesktopVerbCommand(exePath));
    RegCloseKey(command);
    return ok;
}

bool RemoveDesktopVerb() {
    const std::wstring path = ToWide(kDesktopVerbKey);
    LONG result = RegDeleteKeyW(HKEY_CURRENT_USER, (path + kCommandSubkey).c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return false;
    result = RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

std::string ThisProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return PathToCp932(std::wstring(buffer.data(), n));
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}
