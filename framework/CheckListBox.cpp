#include "framework/CheckListBox.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/TextBridge.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x43484B4C;  // 'CHKL'
constexpr int kBoxMargin = 2;
}  // namespace

CheckListBox::~CheckListBox() { Detach(); }

bool CheckListBox::Attach(HWND listBox) {
    Detach();
    wchar_t className[32] = {};
    GetClassNameW(listBox, className, 32);
    if (!listBox || lstrcmpiW(className, L"ListBox") != 0) return false;
    LONG style = GetWindowLongW(listBox, GWL_STYLE);
    if (!(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || !(style & LBS_HASSTRINGS)) return false;
    if (!SetWindowSubclass(listBox, &CheckListBox::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hwnd = listBox;
    // The list box asked its parent for the row height before the dialog
    // could answer; rows fit the dialog's font and a tick box.
    if (style & LBS_OWNERDRAWFIXED) SendMessageW(listBox, LB_SETITEMHEIGHT, 0, RowHeight());
    return true;
}

void CheckListBox::Detach() {
    if (m_hwnd) {
        RemoveWindowSubclass(m_hwnd, &CheckListBox::SubclassProc, kSubclassId);
        // Rows of a control that outlives the wrapper must not point at freed rows.
        if (IsWindow(m_hwnd)) SendMessageW(m_hwnd, LB_RESETCONTENT, 0, 0);
    }
    m_hwnd = nullptr;
    m_rows.clear();
    m_known.clear();
}

int CheckListBox::AddString(const std::string& text, LPARAM data, int check) {
    if (!m_hwnd) return -1;
    std::wstring wide = ToWide(text);
    int index = (int)SendMessageW(m_hwnd, LB_ADDSTRING, 0, (LPARAM)wide.c_str());
    if (index < 0) return -1;
    m_rows.push_back(std::make_unique<Row>(Row{data, check}));
    m_known.insert(m_rows.back().get());
    SendMessageW(m_hwnd, LB_SETITEMDATA, (WPARAM)index, (LPARAM)m_rows.back().get());
    return index;
}

void CheckListBox::ResetContent() {
    if (m_hwnd) SendMessageW(m_hwnd, LB_RESETCONTENT, 0, 0);
    m_rows.clear();
    m_known.clear();
}

int CheckListBox::GetCount() const { return m_hwnd ? (int)SendMessageW(m_hwnd, LB_GETCOUNT, 0, 0) : 0; }

int CheckListBox::GetCurSel() const { return m_hwnd ? (int)SendMessageW(m_hwnd, LB_GETCURSEL, 0, 0) : -1; }

bool CheckListBox::SetCurSel(int index) {
    return m_hwnd && SendMessageW(m_hwnd, LB_SETCURSEL, (WPARAM)index, 0) != LB_ERR;
}

std::string CheckListBox::GetText(int index) const {
    if (!m_hwnd) return {};
    int length = (int)SendMessageW(m_hwnd, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length <= 0) return {};
    std::wstring text(length + 1, L'\0');
    length = (int)SendMessageW(m_hwnd, LB_GETTEXT, (WPARAM)index, (LPARAM)&text[0]);
    text.resize(length > 0 ? length : 0);
    return ToCp932(text);
}

CheckListBox::Row* CheckListBox::RowAt(int index) const {
    if (!m_hwnd || index < 0 || index >= GetCount()) return nullptr;
    LRESULT data = SendMessageW(m_hwnd, LB_GETITEMDATA, (WPARAM)index, 0);
    if (data == LB_ERR || data == 0) return nullptr;
    Row* row = reinterpret_cast<Row*>(data);
    // Only rows of this store are trusted.
    return m_known.count(row) ? row : nullptr;
}

LPARAM CheckListBox::GetItemData(int index) const {
    Row* row = RowAt(index);
    return row ? row->data : 0;
}

int CheckListBox::GetCheck(int index) const {
    Row* row = RowAt(index);
    return row ? row->check : kUnchecked;
}

void CheckListBox::SetCheck(int index, int check) {
    Row* row = RowAt(index);
    if (!row || check < kUnchecked || check > kIndeterminate) return;
    row->check = check;
    RECT r;
    if (SendMessageW(m_hwnd, LB_GETITEMRECT, (WPARAM)index, (LPARAM)&r) != LB_ERR) InvalidateRect(m_hwnd, &r, FALSE);
}

void CheckListBox::CheckAll() {
    for (const auto& row : m_rows) row->check = kChecked;
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CheckListBox::InvertChecks() {
    for (const auto& row : m_rows) {
        if (row->check == kChecked) row->check = kUnchecked;
        else if (row->check == kUnchecked) row->check = kChecked;
    }
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CheckListBox::SetRedraw(bool on) {
    if (!m_hwnd) return;
    SendMessageW(m_hwnd, WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on) InvalidateRect(m_hwnd, nullptr, TRUE);
}

int CheckListBox::RowHeight() const {
    // Tall enough for the control's font and a tick box.
    HDC dc = GetDC(m_hwnd);
    if (!dc) return 16;
    HFONT font = (HFONT)SendMessageW(m_hwnd, WM_GETFONT, 0, 0);
    HGDIOBJ old = SelectObject(dc, font ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
    return std::max<int>(tm.tmHeight + 2, 14);
}

int CheckListBox::CheckColumnWidth() const {
    int height = m_hwnd ? (int)SendMessageW(m_hwnd, LB_GETITEMHEIGHT, 0, 0) : 0;
    return (height > 0 ? height : 16) + kBoxMargin;
}

void CheckListBox::Toggle(int index) {
    Row* row = RowAt(index);
    if (!row) return;
    // A click cycles between ticked and unticked; the third state is set by the program only.
    SetCheck(index, row->check == kChecked ? kUnchecked : kChecked);
    HWND parent = GetParent(m_hwnd);
    if (parent)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_hwnd), kCheckChanged), (LPARAM)m_hwnd);
}

bool CheckListBox::HandleParentMessage(UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (!m_hwnd) return false;
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!item || item->hwndItem != m_hwnd) return false;
        DrawRow(*item);
        *result = TRUE;
        return true;
    }
    if (message == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!item || item->CtlType != ODT_LISTBOX || (int)item->CtlID != GetDlgCtrlID(m_hwnd)) return false;
        item->itemHeight = RowHeight();
        *result = TRUE;
        return true;
    }
    return false;
}

void CheckListBox::DrawRow(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    if ((int)item.itemID < 0) {
        if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
        return;
    }
    int box = row.bottom - row.top;
    RECT boxRect = {row.left + kBoxMargin, row.top + 1, row.left + box - 1, row.bottom - 1};
    RECT background = {row.left, row.top, row.left + box + kBoxMargin, row.bottom};
    FillRect(dc, &background, GetSysColorBrush(COLOR_WINDOW));
    int check = GetCheck((int)item.itemID);
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (check == kChecked) state |= DFCS_CHECKED;
    if (check == kIndeterminate) state = DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_FLAT;
    DrawFrameControl(dc, &boxRect, DFC_BUTTON, state);

    RECT text = row;
    text.left += box + kBoxMargin;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    std::wstring label = ToWide(GetText((int)item.itemID));
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textInner = text;
    textInner.left += 2;
    DrawTextW(dc, label.c_str(), (int)label.size(), &textInner, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

LRESULT CALLBACK CheckListBox::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR selfData) {
    auto* self = reinterpret_cast<CheckListBox*>(selfData);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // A click on the tick box toggles it; elsewhere the row is only selected.
        LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
        int index = LOWORD(hit);
        bool outside = HIWORD(hit) != 0;
        LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
        if (!outside && (int)(short)LOWORD(lParam) < self->CheckColumnWidth()) self->Toggle(index);
        return r;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            int index = self->GetCurSel();
            if (index >= 0) self->Toggle(index);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') return 0;
        break;
    case WM_NCDESTROY: {
        LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
        RemoveWindowSubclass(hwnd, &CheckListBox::SubclassProc, kSubclassId);
        self->m_hwnd = nullptr;
        self->m_rows.clear();
        self->m_known.clear();
        return r;
    }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
