#include "framework/DroppedFiles.h"

#include "framework/TextBridge.h"

DroppedFiles::~DroppedFiles() {
    if (m_drop) DragFinish(m_drop);
}

std::vector<std::wstring> DroppedFiles::Paths() const {
    std::vector<std::wstring> paths;
    if (!m_drop) return paths;
    UINT count = DragQueryFileW(m_drop, 0xFFFFFFFF, nullptr, 0);
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        UINT length = DragQueryFileW(m_drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring path(length + 1, L'\0');
        UINT got = DragQueryFileW(m_drop, i, &path[0], length + 1);
        path.resize(got);
        if (!path.empty()) paths.push_back(path);
    }
    return paths;
}

std::vector<std::string> ReadableFilesOnly(const std::vector<std::wstring>& paths) {
    std::vector<std::string> files;
    for (const std::wstring& path : paths) {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::string narrow = PathToCp932(path);
        // The narrow form must lead back to the file: a name written with
        // '?' in place of what code page 932 lacks leads nowhere.
        if (narrow.empty() || GetFileAttributesW(ToWide(narrow).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        files.push_back(narrow);
    }
    return files;
}
