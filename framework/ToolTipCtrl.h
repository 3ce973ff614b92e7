#pragma once
// A tooltip control for a dialog: one tool per control, each with its own
// text.  The tooltip watches the tools' mouse messages itself (subclassing),
// so it works inside a modal dialog whose message loop is not ours.
#include <windows.h>

#include <string>

class ToolTipCtrl {
public:
    ToolTipCtrl() = default;
    ~ToolTipCtrl();
    ToolTipCtrl(const ToolTipCtrl&) = delete;
    ToolTipCtrl& operator=(const ToolTipCtrl&) = delete;

    // Makes the tooltip window, owned by `owner`.
    bool Create(HWND owner);
    HWND hwnd() const { return m_hwnd; }
    void Activate(bool on);
    // text: code page 932.
    bool AddTool(HWND tool, const std::string& text);
    int GetToolCount() const;
    // The text of `tool`'s tip, empty when it has none.
    std::string GetToolText(HWND tool) const;
    // Passes a message on for the tooltip to see (for loops of our own).
    void RelayEvent(const MSG& message);

private:
    HWND m_hwnd = nullptr;
    HWND m_owner = nullptr;
};
