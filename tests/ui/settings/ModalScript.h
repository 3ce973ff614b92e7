#pragma once
// Drives modal dialogs of this thread as a user would: each step waits for
// a visible window with its caption, then runs with that window.  Steps run
// from a thread timer, so a step that opens another modal dialog lets the
// next step drive that one.  A dialog still open after its step is
// cancelled, so a failing test never hangs.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    using Step = std::function<void(HWND dialog)>;

    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // caption: code page 932.
    void Then(const std::string& caption, Step step);
    // Steps that have run.
    int ran() const { return m_ran; }
    bool done() const { return m_next >= m_steps.size(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
    void Poll();

    struct Entry { std::wstring caption; Step step; };
    std::vector<Entry> m_steps;
    size_t m_next = 0;
    int m_ran = 0;
    UINT_PTR m_timer = 0;
    DWORD m_started = 0;
};

// The visible top-level window of this thread with `caption`, or null.
HWND FindThreadWindow(const std::wstring& caption);
// The text of a control, code page 932.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
// A click on a button (BM_CLICK: pressed and released).
void Click(HWND dialog, int id);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
int WindowHeight(HWND hwnd);
