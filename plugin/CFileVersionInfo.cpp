#include "plugin/CFileVersionInfo.h"

#include <cstdio>

#include "framework/TextBridge.h"

const uint16_t CFileVersionInfo::kFallbackCodePages[12] = {
    0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256,
};

const uint16_t CFileVersionInfo::kFallbackLanguages[45] = {
    0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040A, 0x040B,
    0x040C, 0x040D, 0x040E, 0x040F, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416,
    0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421,
    0x0804, 0x0807, 0x0809, 0x080A, 0x080C, 0x0810, 0x0813, 0x0814, 0x0816, 0x081A, 0x0C0C,
    0x100C,
};

// A version resource is a few kilobytes; anything claiming far more is not one.
static constexpr DWORD kMaxVersionBlock = 1u << 20;

bool CFileVersionInfo::Load(const std::string& modulePath) {
    Release();
    std::wstring path = ToWide(modulePath);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0 || size > kMaxVersionBlock) return false;
    m_block.assign(size, 0);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, m_block.data())) {
        Release();
        return false;
    }
    void* entry = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(m_block.data(), L"\\VarFileInfo\\Translation", &entry, &length) || !entry ||
        length < sizeof(uint32_t)) {
        Release();
        return false;
    }
    const uint8_t* p = static_cast<const uint8_t*>(entry);
    m_translation = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return true;
}

void CFileVersionInfo::Release() {
    m_block.clear();
    m_block.shrink_to_fit();
    m_translation = 0;
}

std::string CFileVersionInfo::ValuePath(uint16_t language, uint16_t codePage, const std::string& name) {
    char prefix[40];
    std::snprintf(prefix, sizeof(prefix), "\\StringFileInfo\\%04x%04x\\", language, codePage);
    return prefix + name;
}

bool CFileVersionInfo::Lookup(uint16_t language, uint16_t codePage, const std::string& name,
                              std::string* value) const {
    std::wstring path = ToWide(ValuePath(language, codePage, name));
    void* text = nullptr;
    UINT length = 0;
    // The lookup does not write to the block, whatever its prototype says.
    if (!VerQueryValueW(const_cast<uint8_t*>(m_block.data()), path.c_str(), &text, &length) || !text) return false;
    // The length counts characters and may include the terminating zero;
    // never read past it or past the block.
    const wchar_t* begin = static_cast<const wchar_t*>(text);
    const uint8_t* blockEnd = m_block.data() + m_block.size();
    const uint8_t* at = reinterpret_cast<const uint8_t*>(begin);
    if (at < m_block.data() || at > blockEnd) return false;
    size_t room = static_cast<size_t>(blockEnd - at) / sizeof(wchar_t);
    size_t count = length < room ? length : room;
    size_t n = 0;
    while (n < count && begin[n] != L'\0') ++n;
    *value = ToCp932(std::wstring(begin, n));
    return true;
}

std::string CFileVersionInfo::Query(const std::string& name) const {
    if (!IsLoaded()) return std::string();
    std::string value;
    if (Lookup(LOWORD(m_translation), HIWORD(m_translation), name, &value)) return value;
    for (uint16_t codePage : kFallbackCodePages)
        for (uint16_t language : kFallbackLanguages)
            if (Lookup(language, codePage, name, &value)) return value;
    return std::string();
}
