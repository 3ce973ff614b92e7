#include "framework/Dialog.h"

#include <cstdlib>
#include <vector>

#include "framework/CommonControls.h"
#include "framework/TextBridge.h"

void DataExchange::Text(int id, std::string& value, size_t maxBytes) {
    HWND control = GetDlgItem(m_dialog, id);
    if (!m_save) {
        SetWindowTextCp932(control, value);
        return;
    }
    std::string text = GetWindowTextCp932(control);
    if (maxBytes && text.size() > maxBytes) {
        Fail(id);
        return;
    }
    value = text;
}

void DataExchange::Check(int id, bool& value) {
    if (!m_save) {
        CheckDlgButton(m_dialog, id, value ? BST_CHECKED : BST_UNCHECKED);
    } else {
        value = IsDlgButtonChecked(m_dialog, id) == BST_CHECKED;
    }
}

void DataExchange::Number(int id, int& value, int min, int max) {
    HWND control = GetDlgItem(m_dialog, id);
    if (!m_save) {
        SetWindowTextW(control, std::to_wstring(value).c_str());
        return;
    }
    std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
    text.resize(GetWindowTextW(control, &text[0], (int)text.size()));
    wchar_t* end = nullptr;
    long v = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || (end && *end) || v < min || v > max) {
        Fail(id);
        return;
    }
    value = static_cast<int>(v);
}

void DataExchange::ComboIndex(int id, int& index) {
    HWND control = GetDlgItem(m_dialog, id);
    if (!m_save) {
        SendMessageW(control, CB_SETCURSEL, (WPARAM)index, 0);
    } else {
        index = (int)SendMessageW(control, CB_GETCURSEL, 0, 0);
    }
}

void DataExchange::RadioIndex(int firstId, int count, int& index) {
    if (!m_save) {
        for (int i = 0; i < count; ++i)
            CheckDlgButton(m_dialog, firstId + i, i == index ? BST_CHECKED : BST_UNCHECKED);
        return;
    }
    index = -1;
    for (int i = 0; i < count; ++i)
        if (IsDlgButtonChecked(m_dialog, firstId + i) == BST_CHECKED) index = i;
}

Dialog::~Dialog() {
    if (m_hwnd) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        if (!m_modal) DestroyWindow(m_hwnd);
    }
}

INT_PTR Dialog::DoModal(HWND parent) {
    EnsureCommonControls();
    m_modal = true;
    INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                                &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hwnd = nullptr;
    return r;
}

bool Dialog::CreateModeless(HWND parent) {
    // No EnsureCommonControls here: the one modeless dialog, the preview made
    // at start, holds no controls, and start-up stays clear of the library.
    m_modal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
                              &Dialog::DialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
    if (!m_hwnd) return;
    if (m_modal) {
        ::EndDialog(m_hwnd, result);
    } else {
        DestroyWindow(m_hwnd);
    }
}

Dialog* Dialog::FromHandle(HWND hwnd) {
    return reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

bool Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            *result = 0;
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            *result = 0;
            return true;
        }
    }
    return false;
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::UpdateData(bool save) {
    DataExchange dx(m_hwnd, save);
    DoDataExchange(dx);
    if (!dx.ok()) {
        HWND control = GetDlgItem(m_hwnd, dx.failedControl());
        if (control) {
            SetFocus(control);
            SendMessageW(control, EM_SETSEL, 0, -1);
        }
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return self->OnInitDialog();
    }
    self = FromHandle(hwnd);
    if (!self) return FALSE;
    LRESULT result = 0;
    bool handled = self->HandleMessage(message, wParam, lParam, &result);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hwnd = nullptr;
    }
    if (!handled) return FALSE;
    switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return (INT_PTR)result;
    default:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
