#include "PickTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "framework/TextBridge.h"
#include "plugin/PluginTestSupport.h"

namespace {
struct PendingAction {
    std::function<HWND()> find;
    std::function<void(HWND)> act;
    DWORD deadline;
    UINT_PTR timer;
};
std::unique_ptr<PendingAction> g_pending;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_pending) return;
    HWND window = g_pending->find();
    bool shown = window && IsWindowVisible(window);
    if (!shown && GetTickCount() < g_pending->deadline) return;
    auto pending = std::move(g_pending);
    KillTimer(nullptr, pending->timer);
    if (!shown) {
        ADD_FAILURE() << "the dialog did not show";
        if (window) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    pending->act(window);
}
}  // namespace

void WhenShown(std::function<HWND()> find, std::function<void(HWND)> act, DWORD timeoutMs) {
    g_pending = std::make_unique<PendingAction>(PendingAction{std::move(find), std::move(act),
                                                              GetTickCount() + timeoutMs, 0});
    g_pending->timer = SetTimer(nullptr, 0, 30, &OnTimer);
}

void ClickButton(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void ClickAt(HWND control, int x, int y) {
    LPARAM point = MAKELPARAM(x, y);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(control, WM_LBUTTONUP, 0, point);
}

void ClickListBoxRow(HWND listBox, int row) {
    RECT r = {};
    SendMessageW(listBox, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&r);
    ClickAt(listBox, r.right - 4, (r.top + r.bottom) / 2);
}

void ClickListBoxTick(HWND listBox, int row) {
    RECT r = {};
    SendMessageW(listBox, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&r);
    ClickAt(listBox, r.left + (r.bottom - r.top) / 2, (r.top + r.bottom) / 2);
}

void ChooseComboRow(HWND dialog, int comboId, int row) {
    HWND combo = GetDlgItem(dialog, comboId);
    SendMessageW(combo, CB_SETCURSEL, (WPARAM)row, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), (LPARAM)combo);
}

void SelectListViewRow(HWND listView, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listView, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&item);
}

std::string ListViewRowText(HWND listView, int row) {
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(listView, LVM_GETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
    return ToCp932(text);
}

uint32_t ControlPixel(HWND dialog, HWND control, int x, int y) {
    UpdateWindow(dialog);
    HDC dc = GetDC(control);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

PickContext::PickContext(bool pluginsOn, std::initializer_list<const char*> fixtures) {
    profile.WriteString("Settings", "ConfPath", dir.File("List.tvl"));
    profile.WriteInt("Settings", "EnableSPI", pluginsOn ? 1 : 0);
    profile.WriteString("Settings", "SPIPath", plugins.path());
    for (const char* fixture : fixtures) InstallPlugin(plugins.path(), fixture);
    context = std::make_unique<AppContext>(profile);
}

int PickContext::Count(const std::string& path) const {
    const CPictureData* p = context->cache().Find(path);
    return p ? p->m_nRefCount : 0;
}
