#include "ModalScript.h"

#include "framework/TextBridge.h"

ModalScript* ModalScript::s_current = nullptr;

ModalScript::ModalScript(DWORD stepTimeoutMs) : m_timeout(stepTimeoutMs) {}

ModalScript::~ModalScript() {
    if (m_timer) KillTimer(nullptr, m_timer);
    if (s_current == this) s_current = nullptr;
}

ModalScript& ModalScript::Then(Step step) {
    m_steps.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::Do(std::function<void()> action) {
    return Then([action] {
        action();
        return true;
    });
}

void ModalScript::Start() {
    s_current = this;
    m_stepStart = GetTickCount();
    m_timer = SetTimer(nullptr, 0, 30, &ModalScript::OnTimer);
}

void CALLBACK ModalScript::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (s_current) s_current->Tick();
}

void ModalScript::Tick() {
    if (m_inStep || finished()) return;
    m_inStep = true;
    bool done = m_steps[m_next]();
    m_inStep = false;
    if (done) {
        ++m_next;
        m_stepStart = GetTickCount();
        return;
    }
    if (GetTickCount() - m_stepStart > m_timeout) {
        m_failedStep = m_next + 1;
        m_next = m_steps.size();
        for (HWND dialog : ThreadDialogs()) EndDialog(dialog, IDCANCEL);
    }
}

namespace {
BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindThreadDialog(const std::string& caption) {
    for (HWND dialog : ThreadDialogs())
        if (GetWindowTextCp932(dialog) == caption) return dialog;
    return nullptr;
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void PostKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 0);
    PostMessageW(window, WM_KEYUP, key, 0xC0000000);
}

void TypeText(HWND control, const std::string& text) {
    for (wchar_t c : ToWide(text)) SendMessageW(control, WM_CHAR, c, 1);
}
