#include "ManageDialogDriver.h"

#include <commctrl.h>

#include "framework/TextBridge.h"

namespace manage_test {

namespace {
ModalScript* g_running = nullptr;

struct FindCaption {
    std::wstring caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM param) {
    auto* find = reinterpret_cast<FindCaption*>(param);
    if (!IsWindowVisible(hwnd)) return TRUE;
    wchar_t text[512];
    int n = GetWindowTextW(hwnd, text, 512);
    if (find->caption == std::wstring(text, n > 0 ? n : 0)) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CloseDialog(HWND hwnd, LPARAM) {
    wchar_t cls[16];
    if (GetClassNameW(hwnd, cls, 16) && std::wstring(cls) == L"#32770") EndDialog(hwnd, IDCANCEL);
    return TRUE;
}
}  // namespace

ModalScript::ModalScript(DWORD timeoutMs) : m_deadline(GetTickCount() + timeoutMs) {
    g_running = this;
    m_timer = SetTimer(nullptr, 0, 20, &ModalScript::OnTimer);
}

ModalScript::~ModalScript() {
    if (m_timer) KillTimer(nullptr, m_timer);
    if (g_running == this) g_running = nullptr;
}

ModalScript& ModalScript::Then(const std::string& caption, Action action) {
    m_steps.push_back(Step{caption, std::move(action)});
    return *this;
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_running) g_running->Tick();
}

void ModalScript::Tick() {
    if (m_steps.empty()) return;
    if ((LONG)(GetTickCount() - m_deadline) > 0) {
        // Never leave a test hanging in a dialog nobody answers.
        m_timedOut = true;
        m_steps.clear();
        EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
        return;
    }
    HWND window = FindThreadWindow(m_steps.front().caption);
    if (!window) return;
    // Taken off the queue first: the action may open a dialog whose modal
    // loop runs the next steps from this same timer.
    Action action = std::move(m_steps.front().action);
    m_steps.pop_front();
    action(window);
}

HWND FindThreadWindow(const std::string& caption) {
    FindCaption find{ToWide(caption), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

bool Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button || !IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
    SendMessageW(button, BM_CLICK, 0, 0);
    return true;
}

bool IsEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

std::string ControlText(HWND dialog, int id) { return GetWindowTextCp932(GetDlgItem(dialog, id)); }

int RowCount(HWND list) { return (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); }

std::string RowText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    int n = (int)SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
    return ToCp932(std::wstring(text, n > 0 ? n : 0));
}

bool RowChecked(HWND list, int row) {
    UINT state = (UINT)SendMessageW(list, LVM_GETITEMSTATE, (WPARAM)row, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void SetRowChecked(HWND list, int row, bool checked) {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

void SelectRow(HWND list, int row) {
    LVITEMW clear = {};
    clear.stateMask = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&clear);
    if (row >= 0) AddRowToSelection(list, row);
}

void AddRowToSelection(HWND list, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

void PressSpaceOn(HWND list, int row) {
    SelectRow(list, row);
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 0xC0390001);
}

}  // namespace manage_test
