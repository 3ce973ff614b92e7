#pragma once
#include <string>

// Whether `fileName` matches one of the wildcard patterns in `filter`, which
// are separated by any of the characters in `separators`.  "*.*" matches
// every name.  Matching ignores case, as the shell's does.
bool MatchesExtensionFilter(const std::string& fileName, const std::string& filter, const char* separators);
