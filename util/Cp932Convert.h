#pragma once
// Conversions between code page 932 and Unicode that also work off Windows
// (iconv there), for the list tool and the native test builds.  Inside the
// program proper the text bridge (framework/TextBridge.h) is used instead.
#include <string>

// Strict conversions: false when a character has no counterpart.
bool Cp932ToUtf8(const std::string& cp932, std::string* utf8);
bool Utf8ToCp932(const std::string& utf8, std::string* cp932);

// UTF-16 units to code page 932; unconvertible characters become '?'.
std::string Utf16ToCp932Lossy(const std::u16string& units);
