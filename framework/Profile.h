#pragma once
// The per-user profile: named values in sections.  The program keeps it in
// the registry (HKEY_CURRENT_USER\Software\<company>\<application>\<section>);
// tests may use the in-memory store.  Names and texts are code page 932.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // Reads return false, leaving `out` alone, when the value is absent or
    // is not of the kind asked for (a string where a number belongs, ...).
    virtual bool ReadString(const std::string& section, const std::string& name, std::string* out) = 0;
    virtual bool ReadInt(const std::string& section, const std::string& name, int32_t* out) = 0;
    virtual bool ReadBinary(const std::string& section, const std::string& name,
                            std::vector<uint8_t>* out) = 0;
    virtual bool WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& name, int32_t value) = 0;
    virtual bool WriteBinary(const std::string& section, const std::string& name,
                             const std::vector<uint8_t>& value) = 0;

    std::string GetString(const std::string& section, const std::string& name, const std::string& fallback);
    int32_t GetInt(const std::string& section, const std::string& name, int32_t fallback);
};

class RegistryProfile : public ProfileStore {
public:
    // Longest string value read; a longer one counts as absent.
    static constexpr DWORD kMaxStringChars = 32767;
    static constexpr DWORD kMaxBinaryBytes = 65536;

    // appKey: e.g. L"Software\\Vandrel Software\\Tavrin" under `root`.
    RegistryProfile(HKEY root, std::wstring appKey);

    bool ReadString(const std::string& section, const std::string& name, std::string* out) override;
    bool ReadInt(const std::string& section, const std::string& name, int32_t* out) override;
    bool ReadBinary(const std::string& section, const std::string& name, std::vector<uint8_t>* out) override;
    bool WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& name, int32_t value) override;
    bool WriteBinary(const std::string& section, const std::string& name,
                     const std::vector<uint8_t>& value) override;

    const std::wstring& appKey() const { return m_appKey; }

private:
    bool Query(const std::string& section, const std::string& name, DWORD* type, std::vector<BYTE>* data,
               DWORD limit);
    bool Set(const std::string& section, const std::string& name, DWORD type, const void* data, DWORD size);

    HKEY m_root;
    std::wstring m_appKey;
};

class MemoryProfile : public ProfileStore {
public:
    enum class Kind { String, Int, Binary };
    struct Value { Kind kind; std::string text; int32_t number; std::vector<uint8_t> bytes; };

    bool ReadString(const std::string& section, const std::string& name, std::string* out) override;
    bool ReadInt(const std::string& section, const std::string& name, int32_t* out) override;
    bool ReadBinary(const std::string& section, const std::string& name, std::vector<uint8_t>* out) override;
    bool WriteString(const std::string& section, const std::string& name, const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& name, int32_t value) override;
    bool WriteBinary(const std::string& section, const std::string& name,
                     const std::vector<uint8_t>& value) override;

    const Value* Find(const std::string& section, const std::string& name) const;
    // Names in the order they were first written.
    std::vector<std::string> writeOrder;
    std::map<std::pair<std::string, std::string>, Value> values;

private:
    void Put(const std::string& section, const std::string& name, Value v);
};

// The application's own profile, set up at start-up (see Application).
ProfileStore& AppProfile();
void SetAppProfile(ProfileStore* profile);
