#pragma once
// A registry key that is opened (created when missing, as a volatile key)
// with full access, and closed when the object goes.
#include <windows.h>

#include <string>

class RegistryKey {
public:
    static constexpr DWORD kStringBufferBytes = 200;

    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Returns the system's error code: 0 on success.
    LONG Open(HKEY root, const std::string& subKey);
    void Close();
    bool IsOpen() const { return m_key != nullptr; }
    HKEY handle() const { return m_key; }
    const std::string& subKey() const { return m_subKey; }

    // REG_SZ with the terminator.
    LONG SetString(const std::string& name, const std::string& text);
    // Fails, leaving `out` unchanged, when the value does not fit the
    // 200-byte buffer (199 bytes of text and the terminator) or is no string.
    LONG QueryString(const std::string& name, std::string* out);

private:
    HKEY m_key = nullptr;
    std::string m_subKey;
};
