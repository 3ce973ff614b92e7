#include "framework/ComboBoxCtrl.h"

#include "framework/TextBridge.h"

int ComboBoxCtrl::AddString(const std::string& text, LPARAM data) {
    std::wstring wide = ToWide(text);
    LRESULT index = SendMessageW(m_hwnd, CB_ADDSTRING, 0, (LPARAM)wide.c_str());
    if (index == CB_ERR || index == CB_ERRSPACE) return -1;
    SendMessageW(m_hwnd, CB_SETITEMDATA, (WPARAM)index, data);
    return (int)index;
}

int ComboBoxCtrl::GetCount() const { return (int)SendMessageW(m_hwnd, CB_GETCOUNT, 0, 0); }

void ComboBoxCtrl::ResetContent() { SendMessageW(m_hwnd, CB_RESETCONTENT, 0, 0); }

int ComboBoxCtrl::GetCurSel() const { return (int)SendMessageW(m_hwnd, CB_GETCURSEL, 0, 0); }

bool ComboBoxCtrl::SetCurSel(int index) {
    return SendMessageW(m_hwnd, CB_SETCURSEL, (WPARAM)index, 0) != CB_ERR || index == -1;
}

LPARAM ComboBoxCtrl::GetItemData(int index) const {
    return (LPARAM)SendMessageW(m_hwnd, CB_GETITEMDATA, (WPARAM)index, 0);
}

std::string ComboBoxCtrl::GetItemText(int index) const {
    LRESULT length = SendMessageW(m_hwnd, CB_GETLBTEXTLEN, (WPARAM)index, 0);
    if (length == CB_ERR || length < 0) return std::string();
    std::wstring text((size_t)length + 1, L'\0');
    LRESULT copied = SendMessageW(m_hwnd, CB_GETLBTEXT, (WPARAM)index, (LPARAM)&text[0]);
    if (copied == CB_ERR || copied < 0) return std::string();
    text.resize((size_t)copied);
    return ToCp932(text);
}

int ComboBoxCtrl::FindItemByData(LPARAM data) const {
    int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetItemData(i) == data) return i;
    return -1;
}

bool ComboBoxCtrl::SelectByData(LPARAM data) {
    int index = FindItemByData(data);
    if (index < 0) return false;
    return SetCurSel(index);
}

bool ComboBoxCtrl::GetSelectedData(LPARAM* data) const {
    int index = GetCurSel();
    if (index < 0) return false;
    *data = GetItemData(index);
    return true;
}
