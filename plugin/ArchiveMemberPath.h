#pragma once
// An archive member path names a picture inside an archive: the archive's
// file path, a bar, and the member's path inside the archive ("%s|%s").
// Code page 932 text; the bar is found as a character, never as the second
// byte of a double-byte one (as in "ポ", 0x83 0x7C).
#include <string>

struct ArchiveMemberPath {
    std::string archive;  // the text before the first bar, or the whole path
    std::string member;   // the text after the first bar, or empty
    bool hasBar = false;
};

ArchiveMemberPath SplitArchiveMemberPath(const std::string& path);
std::string MakeArchiveMemberPath(const std::string& archive, const std::string& member);
