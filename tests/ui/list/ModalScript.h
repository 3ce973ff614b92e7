#pragma once
// Drives modal dialogs from the test's own thread: a thread timer runs the
// steps one after another while the dialogs' message loops run.  A step
// returns false to be tried again at the next tick (waiting for a window);
// a script that makes no progress for a few seconds fails and cancels every
// dialog of the thread, so a test never hangs.  Steps that open another
// modal window must post (Click, PostKey): a sent click would run that
// window's loop inside the timer.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    using Step = std::function<bool()>;
    explicit ModalScript(DWORD stepTimeoutMs = 15000);
    ~ModalScript();
    ModalScript& Then(Step step);
    // A step that runs once and is done.
    ModalScript& Do(std::function<void()> action);
    // Starts the timer; call before opening the first dialog.
    void Start();
    bool finished() const { return m_next == m_steps.size(); }
    // The step that timed out (1-based), 0 when none did.
    size_t failedStep() const { return m_failedStep; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> m_steps;
    size_t m_next = 0;
    size_t m_failedStep = 0;
    DWORD m_stepStart = 0;
    DWORD m_timeout;
    UINT_PTR m_timer = 0;
    bool m_inStep = false;
    static ModalScript* s_current;
};

// A visible dialog of this thread with the caption (code page 932); null when none.
HWND FindThreadDialog(const std::string& caption);
// Every visible dialog window of this thread.
std::vector<HWND> ThreadDialogs();
// A button press as the dialog gets it from a click (posted).
void Click(HWND dialog, int id);
void PostKey(HWND window, WPARAM key);
// Types text (code page 932) into a control, one WM_CHAR per character (sent).
void TypeText(HWND control, const std::string& text);
