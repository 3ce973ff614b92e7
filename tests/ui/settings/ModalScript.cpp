#include "ModalScript.h"

#include <map>

#include "framework/TextBridge.h"

namespace {
std::map<UINT_PTR, ModalScript*> g_scripts;
constexpr DWORD kGiveUpMs = 20000;

struct FindContext { const std::wstring* caption; HWND found; };
BOOL CALLBACK FindByCaption(HWND hwnd, LPARAM lParam) {
    auto* f = reinterpret_cast<FindContext*>(lParam);
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    if (IsWindowVisible(hwnd) && *f->caption == text) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindThreadWindow(const std::wstring& caption) {
    FindContext f = {&caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindByCaption, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

ModalScript::ModalScript() {
    m_timer = SetTimer(nullptr, 0, 30, &ModalScript::OnTimer);
    g_scripts[m_timer] = this;
    m_started = GetTickCount();
}

ModalScript::~ModalScript() {
    KillTimer(nullptr, m_timer);
    g_scripts.erase(m_timer);
}

void ModalScript::Then(const std::string& caption, Step step) {
    m_steps.push_back(Entry{ToWide(caption), std::move(step)});
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = g_scripts.find(id);
    if (it != g_scripts.end()) it->second->Poll();
}

void ModalScript::Poll() {
    if (m_next >= m_steps.size()) return;
    const Entry& entry = m_steps[m_next];
    HWND dialog = FindThreadWindow(entry.caption);
    if (!dialog) {
        // A step that never finds its window gives up, closing whatever modal dialog is up.
        if (GetTickCount() - m_started > kGiveUpMs) {
            m_next = m_steps.size();
            HWND active = GetActiveWindow();
            if (active) PostMessageW(active, WM_COMMAND, IDCANCEL, 0);
        }
        return;
    }
    Step step = entry.step;
    ++m_next;  // before running: the step may pump this timer again
    step(dialog);
    ++m_ran;
    if (IsWindow(dialog) && IsWindowVisible(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::string ItemText(HWND dialog, int id) { return GetWindowTextCp932(GetDlgItem(dialog, id)); }

void SetItemText(HWND dialog, int id, const std::string& text) {
    SetWindowTextCp932(GetDlgItem(dialog, id), text);
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

int WindowHeight(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}
