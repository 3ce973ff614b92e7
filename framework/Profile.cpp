#include "framework/Profile.h"

#include "framework/TextBridge.h"

std::string ProfileStore::GetString(const std::string& section, const std::string& name,
                                    const std::string& fallback) {
    std::string v = fallback;
    ReadString(section, name, &v);
    return v;
}

int32_t ProfileStore::GetInt(const std::string& section, const std::string& name, int32_t fallback) {
    int32_t v = fallback;
    ReadInt(section, name, &v);
    return v;
}

RegistryProfile::RegistryProfile(HKEY root, std::wstring appKey) : m_root(root), m_appKey(std::move(appKey)) {}

bool RegistryProfile::Query(const std::string& section, const std::string& name, DWORD* type,
                            std::vector<BYTE>* data, DWORD limit) {
    std::wstring path = m_appKey + L"\\" + ToWide(section);
    HKEY key = nullptr;
    if (RegOpenKeyExW(m_root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    std::wstring valueName = ToWide(name);
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, valueName.c_str(), nullptr, type, nullptr, &size);
    bool ok = false;
    if (rc == ERROR_SUCCESS && size <= limit) {
        data->assign(size + sizeof(wchar_t), 0);  // room for a missing terminator
        DWORD got = size;
        rc = RegQueryValueExW(key, valueName.c_str(), nullptr, type, data->data(), &got);
        if (rc == ERROR_SUCCESS && got <= size) {
            data->resize(got);
            ok = true;
        }
    }
    RegCloseKey(key);
    return ok;
}

bool RegistryProfile::ReadString(const std::string& section, const std::string& name, std::string* out) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!Query(section, name, &type, &data, kMaxStringChars * sizeof(wchar_t))) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    *out = ToCp932(text);
    return true;
}

bool RegistryProfile::ReadInt(const std::string& section, const std::string& name, int32_t* out) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!Query(section, name, &type, &data, 64)) return false;
    if (type != REG_DWORD || data.size() != 4) return false;
    *out = static_cast<int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24));
    return true;
}

bool RegistryProfile::ReadBinary(const std::string& section, const std::string& name, std::vector<uint8_t>* out) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!Query(section, name, &type, &data, kMaxBinaryBytes)) return false;
    if (type != REG_BINARY) return false;
    out->assign(data.begin(), data.end());
    return true;
}

bool RegistryProfile::Set(const std::string& section, const std::string& name, DWORD type, const void* data,
                          DWORD size) {
    std::wstring path = m_appKey + L"\\" + ToWide(section);
    HKEY key = nullptr;
    if (RegCreateKeyExW(m_root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(key, ToWide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistryProfile::WriteString(const std::string& section, const std::string& name, const std::string& value) {
    std::wstring w = ToWide(value);
    return Set(section, name, REG_SZ, w.c_str(), static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

bool RegistryProfile::WriteInt(const std::string& section, const std::string& name, int32_t value) {
    DWORD v = static_cast<DWORD>(value);
    return Set(section, name, REG_DWORD, &v, sizeof(v));
}

bool RegistryProfile::WriteBinary(const std::string& section, const std::string& name,
                                  const std::vector<uint8_t>& value) {
    return Set(section, name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

const MemoryProfile::Value* MemoryProfile::Find(const std::string& section, const std::string& name) const {
    auto it = values.find({section, name});
    return it == values.end() ? nullptr : &it->second;
}

void MemoryProfile::Put(const std::string& section, const std::string& name, Value v) {
    auto key = std::make_pair(section, name);
    if (values.find(key) == values.end()) writeOrder.push_back(name);
    values[key] = std::move(v);
}

bool MemoryProfile::ReadString(const std::string& section, const std::string& name, std::string* out) {
    const Value* v = Find(section, name);
    if (!v || v->kind != Kind::String) return false;
    *out = v->text;
    return true;
}

bool MemoryProfile::ReadInt(const std::string& section, const std::string& name, int32_t* out) {
    const Value* v = Find(section, name);
    if (!v || v->kind != Kind::Int) return false;
    *out = v->number;
    return true;
}

bool MemoryProfile::ReadBinary(const std::string& section, const std::string& name, std::vector<uint8_t>* out) {
    const Value* v = Find(section, name);
    if (!v || v->kind != Kind::Binary) return false;
    *out = v->bytes;
    return true;
}

bool MemoryProfile::WriteString(const std::string& section, const std::string& name, const std::string& value) {
    Put(section, name, Value{Kind::String, value, 0, {}});
    return true;
}

bool MemoryProfile::WriteInt(const std::string& section, const std::string& name, int32_t value) {
    Put(section, name, Value{Kind::Int, std::string(), value, {}});
    return true;
}

bool MemoryProfile::WriteBinary(const std::string& section, const std::string& name,
                                const std::vector<uint8_t>& value) {
    Put(section, name, Value{Kind::Binary, std::string(), 0, value});
    return true;
}

namespace {
MemoryProfile g_fallbackProfile;  // until start-up sets the real one
ProfileStore* g_appProfile = &g_fallbackProfile;
}  // namespace

ProfileStore& AppProfile() { return *g_appProfile; }
void SetAppProfile(ProfileStore* profile) { g_appProfile = profile ? profile : &g_fallbackProfile; }
