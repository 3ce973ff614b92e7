#include "ui/HyperlinkLabel.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/TextBridge.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x4C4E4B;  // "LNK"
}

HyperlinkLabel::OpenFn HyperlinkLabel::s_open = &HyperlinkLabel::ShellOpen;

void HyperlinkLabel::ShellOpen(HWND owner, const std::string& target) {
    // What the shell answers is not looked at: the label turns visited anyway.
    ShellExecuteW(owner, L"open", ToWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

HyperlinkLabel::~HyperlinkLabel() { Detach(); }

bool HyperlinkLabel::Attach(HWND control) {
    if (!control || !IsWindow(control)) return false;
    Detach();
    m_hwnd = control;
    SetWindowSubclass(control, &HyperlinkLabel::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

    HFONT current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW description = {};
    if (GetObjectW(current, sizeof(description), &description) == sizeof(description)) {
        description.lfUnderline = TRUE;
        m_font.reset(CreateFontIndirectW(&description));
        if (m_font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
    }
    return true;
}

void HyperlinkLabel::Detach() {
    if (m_hwnd && IsWindow(m_hwnd)) {
        // The control must not keep a font that is about to be deleted.
        if (m_font && reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0)) == m_font.get())
            SendMessageW(m_hwnd, WM_SETFONT, 0, FALSE);
        RemoveWindowSubclass(m_hwnd, &HyperlinkLabel::SubclassProc, kSubclassId);
    }
    m_hwnd = nullptr;
    m_font.reset();
}

void HyperlinkLabel::SetLink(const std::string& target, COLORREF link, COLORREF visited) {
    m_target = target;
    m_link = link;
    m_visited = visited;
    m_current = link;
    if (m_hwnd) InvalidateRect(m_hwnd, nullptr, TRUE);
}

bool HyperlinkLabel::ReflectCommand(WPARAM wParam, LPARAM lParam) {
    if (!m_hwnd || reinterpret_cast<HWND>(lParam) != m_hwnd || HIWORD(wParam) != STN_CLICKED) return false;
    OnClicked();
    return true;
}

void HyperlinkLabel::OnClicked() {
    if (!m_target.empty()) s_open(m_hwnd, m_target);
    if (m_current != m_visited) {
        m_current = m_visited;
        if (m_hwnd) InvalidateRect(m_hwnd, nullptr, TRUE);
    }
}

bool HyperlinkLabel::OnParentCtlColor(HDC dc, HWND control) const {
    if (!m_hwnd || control != m_hwnd) return false;
    SetTextColor(dc, m_current);
    return true;
}

bool HyperlinkLabel::OnParentSetCursor(HWND under) const {
    if (!m_hwnd || under != m_hwnd) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HELP));  // arrow with question mark, 32651
    return true;
}

LRESULT CALLBACK HyperlinkLabel::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        // The control's own handling first, then the font goes.
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        auto* label = reinterpret_cast<HyperlinkLabel*>(self);
        RemoveWindowSubclass(hwnd, &HyperlinkLabel::SubclassProc, kSubclassId);
        label->m_hwnd = nullptr;
        label->m_font.reset();
        return result;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
