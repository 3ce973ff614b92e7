#pragma once
// A list box with a tick box in front of every row.  The platform has no
// such control, so the list box is owner-drawn (LBS_OWNERDRAWFIXED with
// LBS_HASSTRINGS) and this wrapper draws the boxes, toggles them on a click
// or the space bar, and keeps each row's tick state and item data.
//
// The owning dialog forwards WM_DRAWITEM and WM_MEASUREITEM for the control
// to HandleParentMessage.  A change made by the user is reported to the
// dialog as WM_COMMAND with the notification kCheckChanged.
#include <windows.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class CheckListBox {
public:
    static constexpr WORD kCheckChanged = 40;
    enum CheckState { kUnchecked = 0, kChecked = 1, kIndeterminate = 2 };

    CheckListBox() = default;
    ~CheckListBox();
    CheckListBox(const CheckListBox&) = delete;
    CheckListBox& operator=(const CheckListBox&) = delete;

    // Takes over a list box of the dialog; false when it is not one.
    bool Attach(HWND listBox);
    void Detach();
    HWND hwnd() const { return m_hwnd; }

    // Adds a row (placed by the control when it is sorted) with its data and
    // tick; returns its index or -1.
    int AddString(const std::string& text, LPARAM data, int check = kUnchecked);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    bool SetCurSel(int index);
    std::string GetText(int index) const;
    // 0 for a row out of range.
    LPARAM GetItemData(int index) const;
    int GetCheck(int index) const;
    void SetCheck(int index, int check);
    // Ticks every row.
    void CheckAll();
    // Unticked rows become ticked and ticked rows unticked; indeterminate rows stay.
    void InvertChecks();
    // Turns drawing off while many rows are added, and on again.
    void SetRedraw(bool on);

    // For the dialog: WM_DRAWITEM / WM_MEASUREITEM of this control.
    bool HandleParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Width of the tick box column in pixels.
    int CheckColumnWidth() const;

private:
    struct Row {
        LPARAM data;
        int check;
    };
    Row* RowAt(int index) const;
    int RowHeight() const;
    void Toggle(int index);
    void DrawRow(const DRAWITEMSTRUCT& item);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);

    HWND m_hwnd = nullptr;
    // Rows point into this store; a row's storage lives until the control is
    // emptied or released, so no row can reach freed memory.
    std::vector<std::unique_ptr<Row>> m_rows;
    // The rows of this store, to trust only item data that points at one.
    std::unordered_set<const Row*> m_known;
};
