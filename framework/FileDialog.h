#pragma once
// The system's explorer-style open or save dialog, optionally with a child
// template of the program laid into it and a hook that turns the dialog's
// notifications into virtual calls (layout done, selection and folder
// changed, file accepted) and lets the template paint.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

class FileDialog {
public:
    // filter: "text|pattern|text|pattern||" in code page 932; templateId 0: none.
    FileDialog(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName, DWORD flags,
               const std::string& filter, HWND parent, UINT templateId = 0);
    virtual ~FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    INT_PTR DoModal();                    // IDOK or IDCANCEL
    std::string GetPathName() const;      // full path, code page 932 (short form where cp932 cannot hold it)
    // The dialog's error when DoModal failed (CommDlgExtendedError), else 0.
    DWORD error() const { return m_error; }

    // While it runs: the child dialog made from the template, and the system dialog around it.
    HWND hookWindow() const { return m_hook; }
    HWND dialogWindow() const { return m_hook ? GetParent(m_hook) : nullptr; }
    // The full path of the current selection in the dialog, empty when none.
    std::string CurrentFilePath() const;
    std::wstring CurrentFilePathWide() const;

    // The filter as the system takes it: pieces separated and ended by zeros.
    static std::wstring FilterToSystem(const std::string& filter);

protected:
    virtual void OnInitDone() {}
    virtual void OnSelChange() {}
    virtual void OnFolderChange() {}
    // False keeps the dialog open.
    virtual bool OnFileOk() { return true; }
    // Paints the template after its own controls were drawn.
    virtual void OnPaint() {}

private:
    static UINT_PTR CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool m_open;
    std::wstring m_defaultExtension;
    std::wstring m_filter;
    DWORD m_flags;
    HWND m_parent;
    UINT m_templateId;
    std::vector<wchar_t> m_fileBuffer;
    std::wstring m_result;
    HWND m_hook = nullptr;
    DWORD m_error = 0;
};
