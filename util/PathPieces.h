#pragma once
// Path pieces of code page 932 paths.  Splitting is aware of double-byte
// characters, whose second byte may be 0x5C (the backslash) as in "表".
#include <string>
#include <vector>

bool IsCp932LeadByte(unsigned char c);

struct PathParts {
    std::string drive;      // "C:" or empty
    std::string directory;  // "\dir\sub\" with its trailing separator, or empty
    std::string name;       // file name without extension
    std::string extension;  // from the last dot of the file name, dot included
};

PathParts SplitPath(const std::string& path);

// File name with extension (directory and drive removed).
std::string FileNameOf(const std::string& path);
// Extension with its dot, or empty.
std::string ExtensionOf(const std::string& path);
// Lower-cases ASCII letters only, leaving double-byte characters whole.
std::string LowerCp932(const std::string& text);
// The non-empty pieces of `text` between `separator` characters; the second
// byte of a double-byte character is never taken for the separator.
std::vector<std::string> SplitCp932(const std::string& text, char separator);
