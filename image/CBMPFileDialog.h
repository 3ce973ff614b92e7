#pragma once
// The system's explorer-style open dialog with template 101 added at the
// right: a preview box that shows the selected picture through the cache.
#include <windows.h>

#include <string>

class AppContext;

class CBMPFileDialog {
public:
    // filter: "text|pattern|...||" in code page 932 ('|' separates fields).
    CBMPFileDialog(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                   DWORD flags, const std::string& filter, HWND parent);
    ~CBMPFileDialog();
    CBMPFileDialog(const CBMPFileDialog&) = delete;
    CBMPFileDialog& operator=(const CBMPFileDialog&) = delete;

    // The cache the preview decodes into; without one the preview stays empty.
    void SetContext(AppContext* context);
    INT_PTR DoModal();                    // IDOK or IDCANCEL
    std::string GetPathName() const;      // full path, code page 932 (short form where cp932 cannot hold it)
    std::string GetFileName() const;      // name with extension, no folder

private:
    bool m_open;
    std::string m_defaultExtension;
    std::string m_fileName;
    DWORD m_flags;
    std::string m_filter;
    HWND m_parent;
    AppContext* m_context = nullptr;
    std::string m_pathName;
};
