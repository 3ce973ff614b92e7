#include "framework/FileDialog.h"

#include <commdlg.h>

#include "framework/TextBridge.h"

namespace {
// Room for a long path; the dialog refuses a longer one with FNERR_BUFFERTOOSMALL.
constexpr size_t kFileBufferChars = 4096;
}

FileDialog::FileDialog(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                       DWORD flags, const std::string& filter, HWND parent, UINT templateId)
    : m_open(openFileDialog),
      m_defaultExtension(ToWide(defaultExtension)),
      m_filter(FilterToSystem(filter)),
      m_flags(flags),
      m_parent(parent),
      m_templateId(templateId),
      m_fileBuffer(kFileBufferChars, L'\0') {
    std::wstring initial = ToWide(fileName);
    if (initial.size() < kFileBufferChars) initial.copy(m_fileBuffer.data(), initial.size());
}

FileDialog::~FileDialog() = default;

std::wstring FileDialog::FilterToSystem(const std::string& filter) {
    // The bars are found in the wide text: in code page 932 a bar byte can be
    // the second half of a double-byte character.
    std::wstring wide = ToWide(filter);
    for (wchar_t& c : wide)
        if (c == L'|') c = L'\0';
    // Ended by two zeros whatever the caller's text ended with.
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    if (wide.empty()) return std::wstring(2, L'\0');
    wide.append(2, L'\0');
    return wide;
}

INT_PTR FileDialog::DoModal() {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_parent;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = m_filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = m_fileBuffer.data();
    ofn.nMaxFile = (DWORD)m_fileBuffer.size();
    ofn.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    ofn.Flags = m_flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    if (m_templateId) {
        ofn.Flags |= OFN_ENABLETEMPLATE;
        ofn.lpTemplateName = MAKEINTRESOURCEW(m_templateId);
    }
    ofn.lpfnHook = &FileDialog::HookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    m_result.clear();
    m_error = 0;
    BOOL ok = m_open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    m_hook = nullptr;
    if (!ok) {
        m_error = CommDlgExtendedError();
        return IDCANCEL;
    }
    m_result.assign(m_fileBuffer.data());
    return IDOK;
}

std::string FileDialog::GetPathName() const { return m_result.empty() ? std::string() : PathToCp932(m_result); }

std::string FileDialog::CurrentFilePath() const {
    std::wstring path = CurrentFilePathWide();
    return path.empty() ? std::string() : PathToCp932(path);
}

std::wstring FileDialog::CurrentFilePathWide() const {
    HWND dialog = dialogWindow();
    if (!dialog) return {};
    LRESULT needed = SendMessageW(dialog, CDM_GETFILEPATH, 0, 0);
    if (needed <= 0 || needed > 32768) return {};
    std::wstring path((size_t)needed + 1, L'\0');
    LRESULT got = SendMessageW(dialog, CDM_GETFILEPATH, (WPARAM)path.size(), (LPARAM)&path[0]);
    if (got <= 0) return {};
    path.resize(wcsnlen(path.c_str(), path.size()));
    return path;
}

UINT_PTR CALLBACK FileDialog::HookProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lParam);
        auto* self = reinterpret_cast<FileDialog*>(ofn->lCustData);
        self->m_hook = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, (LONG_PTR)self);
        return TRUE;
    }
    auto* self = reinterpret_cast<FileDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
    case WM_NOTIFY: {
        auto* notify = reinterpret_cast<OFNOTIFYW*>(lParam);
        switch (notify->hdr.code) {
        case CDN_INITDONE: self->OnInitDone(); break;
        case CDN_SELCHANGE: self->OnSelChange(); break;
        case CDN_FOLDERCHANGE: self->OnFolderChange(); break;
        case CDN_FILEOK:
            if (!self->OnFileOk()) {
                SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 1);
                return TRUE;
            }
            break;
        }
        return FALSE;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        self->OnPaint();
        return TRUE;
    }
    case WM_DESTROY:
        self->m_hook = nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        return FALSE;
    }
    return FALSE;
}
