#pragma once
// A report-view list control seen through typed calls: rows with item data,
// check boxes, sub-item text in code page 932, selection and redraw.
#include <windows.h>
#include <commctrl.h>

#include <string>

class ListViewCtrl {
public:
    ListViewCtrl() = default;
    explicit ListViewCtrl(HWND hwnd) : m_hwnd(hwnd) {}
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND hwnd() const { return m_hwnd; }

    // Pixel width of `text` in the control's font.
    int StringWidth(const std::string& text) const;
    bool InsertColumn(int index, const std::string& heading, int width, int format = LVCFMT_LEFT);
    void SetExtendedStyle(DWORD style, DWORD mask = 0);
    HIMAGELIST SetImageList(HIMAGELIST list, int which);

    int GetItemCount() const;
    // Inserts a row with its first column's text and data; returns its index or -1.
    int InsertItem(int index, const std::string& text, LPARAM data, int image = -1);
    bool DeleteItem(int index);
    bool DeleteAllItems();
    bool SetItemText(int index, int subItem, const std::string& text);
    std::string GetItemText(int index, int subItem) const;
    LPARAM GetItemData(int index) const;
    bool SetItemData(int index, LPARAM data);
    // Finds the row whose data is `data`; -1 when none.
    int FindItemByData(LPARAM data) const;

    bool GetCheck(int index) const;
    void SetCheck(int index, bool checked);

    // The first selected row, or -1.
    int GetSelectedIndex() const;
    // Selects and focuses one row and scrolls it into view.
    void SelectItem(int index);
    // Turns drawing off while many rows change, and on again.
    void SetRedraw(bool on);

private:
    HWND m_hwnd = nullptr;
};
