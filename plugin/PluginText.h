#pragma once
// Text handed to plug-ins.  Plug-ins are ANSI programs: a file path goes to
// them in the system's ANSI code page, or as its short (8.3) form where the
// ANSI code page cannot write it.
#include <string>
#include <vector>

// The ANSI form of a code page 932 file path; false when neither the path
// nor its short form can be written in the ANSI code page.
bool ToPluginPath(const std::string& cp932Path, std::string* ansiPath);

// `wide` in code page `codePage`; false when a character cannot be written
// in it exactly (no best-fit substitutes), or when `wide` is not valid UTF-16
// and the code page is UTF-8.
bool ToCodePage(unsigned codePage, const std::wstring& wide, std::string* out);

// A zero-filled, zero-terminated copy of `text` in a buffer of at least
// `minimum` bytes (plug-ins expect a MAX_PATH buffer and may write into it).
std::vector<char> PluginNameBuffer(const std::string& text, size_t minimum = 260);
