#pragma once
// A combo box whose rows carry item data.  Sorted combo boxes move rows
// around, so callers look rows up by their data, never by their position.
#include <windows.h>

#include <string>

class ComboBoxCtrl {
public:
    ComboBoxCtrl() = default;
    explicit ComboBoxCtrl(HWND hwnd) : m_hwnd(hwnd) {}
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND hwnd() const { return m_hwnd; }

    // Adds a row (placed by the control when it is sorted); returns its index or -1.
    int AddString(const std::string& text, LPARAM data);
    int GetCount() const;
    void ResetContent();
    int GetCurSel() const;
    bool SetCurSel(int index);
    LPARAM GetItemData(int index) const;
    std::string GetItemText(int index) const;
    // The row carrying `data`, or -1.
    int FindItemByData(LPARAM data) const;
    // Selects the row carrying `data`; false (selection unchanged) when none does.
    bool SelectByData(LPARAM data);
    // The selected row's data; false when nothing is selected.
    bool GetSelectedData(LPARAM* data) const;

private:
    HWND m_hwnd = nullptr;
};
