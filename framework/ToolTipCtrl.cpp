#include "framework/ToolTipCtrl.h"

#include <commctrl.h>

#include <vector>

#include "framework/CommonControls.h"
#include "framework/TextBridge.h"

namespace {
TOOLINFOW ToolFor(HWND owner, HWND tool) {
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}
}  // namespace

ToolTipCtrl::~ToolTipCtrl() {
    if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}

bool ToolTipCtrl::Create(HWND owner) {
    m_owner = owner;
    EnsureCommonControls();
    m_hwnd = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!m_hwnd) return false;
    // Long tips wrap instead of running off the screen.
    SendMessageW(m_hwnd, TTM_SETMAXTIPWIDTH, 0, 400);
    return true;
}

void ToolTipCtrl::Activate(bool on) {
    if (m_hwnd) SendMessageW(m_hwnd, TTM_ACTIVATE, on ? TRUE : FALSE, 0);
}

bool ToolTipCtrl::AddTool(HWND tool, const std::string& text) {
    if (!m_hwnd || !tool) return false;
    std::wstring wide = ToWide(text);
    TOOLINFOW info = ToolFor(m_owner, tool);
    info.lpszText = &wide[0];
    return SendMessageW(m_hwnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

int ToolTipCtrl::GetToolCount() const {
    return m_hwnd ? static_cast<int>(SendMessageW(m_hwnd, TTM_GETTOOLCOUNT, 0, 0)) : 0;
}

std::string ToolTipCtrl::GetToolText(HWND tool) const {
    if (!m_hwnd) return std::string();
    // The control copies at most 80 characters unless told the buffer size
    // (TTM_GETTEXT with wParam, comctl32 6); give it a roomy buffer.
    std::vector<wchar_t> buffer(1024, L'\0');
    TOOLINFOW info = ToolFor(m_owner, tool);
    info.lpszText = buffer.data();
    SendMessageW(m_hwnd, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    buffer.back() = L'\0';
    return ToCp932(buffer.data());
}

void ToolTipCtrl::RelayEvent(const MSG& message) {
    if (m_hwnd) SendMessageW(m_hwnd, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}
