#include "util/RegistryKey.h"

#include <cstring>
#include <vector>

#include "framework/TextBridge.h"

LONG RegistryKey::Open(HKEY root, const std::string& subKey) {
    Close();
    m_subKey = subKey;
    return RegCreateKeyExW(root, ToWide(subKey).c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           &m_key, nullptr);
}

void RegistryKey::Close() {
    if (m_key) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

LONG RegistryKey::SetString(const std::string& name, const std::string& text) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    std::wstring w = ToWide(text);
    return RegSetValueExW(m_key, ToWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                          static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

LONG RegistryKey::QueryString(const std::string& name, std::string* out) {
    if (!m_key) return ERROR_INVALID_HANDLE;
    std::wstring valueName = ToWide(name);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(m_key, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    // The text is measured in program bytes: no more than fits the buffer.
    if (size > kStringBufferBytes * sizeof(wchar_t)) return ERROR_MORE_DATA;
    // The value need not end in a terminator, nor hold whole characters:
    // the text is what the returned bytes hold, up to the first zero.
    std::vector<BYTE> buf(size + sizeof(wchar_t), 0);
    DWORD got = size;
    rc = RegQueryValueExW(m_key, valueName.c_str(), nullptr, &type, buf.data(), &got);
    if (rc != ERROR_SUCCESS) return rc;
    if (got > size) return ERROR_MORE_DATA;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;  // changed meanwhile
    std::wstring wide(got / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(&wide[0], buf.data(), wide.size() * sizeof(wchar_t));
    size_t end = wide.find(L'\0');
    if (end != std::wstring::npos) wide.resize(end);
    std::string text = ToCp932(wide);
    if (text.size() + 1 > kStringBufferBytes) return ERROR_MORE_DATA;
    *out = text;
    return ERROR_SUCCESS;
}
