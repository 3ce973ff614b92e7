#pragma once
// Drives modal dialogs of the test's own thread as a user would: each step
// waits for a window with a given caption to show, then acts on it.  The
// steps run from a thread timer, inside whatever modal loop is running; a
// step may open another dialog, whose own steps then run inside that one.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/UserMessages.h"

// Kept apart from other dialog tests' helpers of the same kind.
namespace manage_test {

class ModalScript {
public:
    using Action = std::function<void(HWND)>;

    explicit ModalScript(DWORD timeoutMs = 10000);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    // Waits for a visible window of this thread captioned `caption` (code
    // page 932), then runs `action` on it.
    ModalScript& Then(const std::string& caption, Action action);
    // Whether every step ran; false after a timeout.
    bool done() const { return m_steps.empty() && !m_timedOut; }
    bool timedOut() const { return m_timedOut; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    struct Step {
        std::string caption;
        Action action;
    };
    std::deque<Step> m_steps;
    UINT_PTR m_timer = 0;
    DWORD m_deadline;
    bool m_timedOut = false;
};

// A visible top-level window of this thread with that caption, or null.
HWND FindThreadWindow(const std::string& caption);
// Presses a dialog button as a click would; false when it is disabled or missing.
bool Click(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);

// A list view row seen by a test.
int RowCount(HWND list);
std::string RowText(HWND list, int row, int column);
bool RowChecked(HWND list, int row);
void SetRowChecked(HWND list, int row, bool checked);
// Selects only `row` (or nothing for -1), as a click on it would.
void SelectRow(HWND list, int row);
void AddRowToSelection(HWND list, int row);
// Focuses `row` and presses the space bar, which toggles its check box.
void PressSpaceOn(HWND list, int row);

}  // namespace manage_test
