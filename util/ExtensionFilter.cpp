#include "util/ExtensionFilter.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "framework/TextBridge.h"
#include "util/PathPieces.h"

bool MatchesExtensionFilter(const std::string& fileName, const std::string& filter, const char* separators) {
    if (filter == "*.*") return true;
    // The filter is read up to 260 bytes, never splitting a double-byte character.
    size_t limit = 0;
    while (limit < filter.size()) {
        size_t n = (IsCp932LeadByte(filter[limit]) && limit + 1 < filter.size()) ? 2 : 1;
        if (limit + n > 260) break;
        limit += n;
    }
    std::string text = filter.substr(0, limit);
    std::wstring name = ToWide(fileName);
    std::string token;
    auto matches = [&](const std::string& pattern) {
        return !pattern.empty() && PathMatchSpecW(name.c_str(), ToWide(pattern).c_str());
    };
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = text[i];
        if (IsCp932LeadByte(c) && i + 1 < text.size()) {
            token.push_back(text[i]);
            token.push_back(text[++i]);
        } else if (c != '\0' && std::strchr(separators, c)) {
            if (matches(token)) return true;
            token.clear();
        } else {
            token.push_back(text[i]);
        }
    }
    return matches(token);
}
