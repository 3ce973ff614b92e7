#include "framework/ListViewCtrl.h"

#include <vector>

#include "framework/TextBridge.h"

int ListViewCtrl::StringWidth(const std::string& text) const {
    std::wstring wide = ToWide(text);
    return (int)SendMessageW(m_hwnd, LVM_GETSTRINGWIDTHW, 0, (LPARAM)wide.c_str());
}

bool ListViewCtrl::InsertColumn(int index, const std::string& heading, int width, int format) {
    std::wstring wide = ToWide(heading);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = &wide[0];
    column.iSubItem = index;
    return SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, (WPARAM)index, (LPARAM)&column) >= 0;
}

void ListViewCtrl::SetExtendedStyle(DWORD style, DWORD mask) {
    SendMessageW(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, mask ? mask : style, style);
}

HIMAGELIST ListViewCtrl::SetImageList(HIMAGELIST list, int which) {
    return (HIMAGELIST)SendMessageW(m_hwnd, LVM_SETIMAGELIST, (WPARAM)which, (LPARAM)list);
}

int ListViewCtrl::GetItemCount() const { return (int)SendMessageW(m_hwnd, LVM_GETITEMCOUNT, 0, 0); }

int ListViewCtrl::InsertItem(int index, const std::string& text, LPARAM data, int image) {
    std::wstring wide = ToWide(text);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = index;
    item.pszText = &wide[0];
    item.lParam = data;
    item.iImage = image;
    return (int)SendMessageW(m_hwnd, LVM_INSERTITEMW, 0, (LPARAM)&item);
}

bool ListViewCtrl::DeleteItem(int index) { return SendMessageW(m_hwnd, LVM_DELETEITEM, (WPARAM)index, 0) != 0; }

bool ListViewCtrl::DeleteAllItems() { return SendMessageW(m_hwnd, LVM_DELETEALLITEMS, 0, 0) != 0; }

bool ListViewCtrl::SetItemText(int index, int subItem, const std::string& text) {
    std::wstring wide = ToWide(text);
    LVITEMW item = {};
    item.iSubItem = subItem;
    item.pszText = &wide[0];
    return SendMessageW(m_hwnd, LVM_SETITEMTEXTW, (WPARAM)index, (LPARAM)&item) != 0;
}

std::string ListViewCtrl::GetItemText(int index, int subItem) const {
    // The control answers with the number of characters copied; grow the
    // buffer until the text fits with room to spare.
    std::vector<wchar_t> buffer(256);
    for (;;) {
        LVITEMW item = {};
        item.iSubItem = subItem;
        item.pszText = buffer.data();
        item.cchTextMax = (int)buffer.size();
        int copied = (int)SendMessageW(m_hwnd, LVM_GETITEMTEXTW, (WPARAM)index, (LPARAM)&item);
        if (copied < (int)buffer.size() - 1 || buffer.size() >= 65536)
            return ToCp932(std::wstring(buffer.data(), (size_t)(copied < 0 ? 0 : copied)));
        buffer.resize(buffer.size() * 4);
    }
}

LPARAM ListViewCtrl::GetItemData(int index) const {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageW(m_hwnd, LVM_GETITEMW, 0, (LPARAM)&item)) return 0;
    return item.lParam;
}

bool ListViewCtrl::SetItemData(int index, LPARAM data) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = data;
    return SendMessageW(m_hwnd, LVM_SETITEMW, 0, (LPARAM)&item) != 0;
}

int ListViewCtrl::FindItemByData(LPARAM data) const {
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return (int)SendMessageW(m_hwnd, LVM_FINDITEMW, (WPARAM)-1, (LPARAM)&find);
}

bool ListViewCtrl::GetCheck(int index) const {
    UINT state = (UINT)SendMessageW(m_hwnd, LVM_GETITEMSTATE, (WPARAM)index, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void ListViewCtrl::SetCheck(int index, bool checked) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(m_hwnd, LVM_SETITEMSTATE, (WPARAM)index, (LPARAM)&item);
}

int ListViewCtrl::GetSelectedIndex() const {
    return (int)SendMessageW(m_hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void ListViewCtrl::SelectItem(int index) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(m_hwnd, LVM_SETITEMSTATE, (WPARAM)index, (LPARAM)&item);
    SendMessageW(m_hwnd, LVM_ENSUREVISIBLE, (WPARAM)index, FALSE);
}

void ListViewCtrl::SetRedraw(bool on) {
    SendMessageW(m_hwnd, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(m_hwnd, nullptr, TRUE);
}
