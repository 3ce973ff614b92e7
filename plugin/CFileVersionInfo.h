#pragma once
// Reads string values of a module's version resource: the module's own
// translation first, then a fixed list of code pages and languages, for
// modules whose translation table names a language they hold no strings for.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CFileVersionInfo {
public:
    // Code pages (outer loop) and languages (inner loop) tried in turn.
    static const uint16_t kFallbackCodePages[12];
    static const uint16_t kFallbackLanguages[45];

    CFileVersionInfo() = default;
    // Reads the version resource of `modulePath` (code page 932).  False, and
    // the reader holds nothing, when there is none or it has no translation.
    bool Load(const std::string& modulePath);
    bool IsLoaded() const { return !m_block.empty(); }
    void Release();

    // The value of `name` (code page 932), or empty.
    std::string Query(const std::string& name) const;

    // "\StringFileInfo\llllcccc\name" with four lower-case hex digits each.
    static std::string ValuePath(uint16_t language, uint16_t codePage, const std::string& name);

private:
    bool Lookup(uint16_t language, uint16_t codePage, const std::string& name, std::string* value) const;

    std::vector<uint8_t> m_block;
    uint32_t m_translation = 0;  // language in the low word, code page in the high word
};
