#pragma once
// A static text control of a dialog turned into a link: underlined, drawn in
// the link colour until its first click and in the visited colour after it,
// with the help cursor over it; a click opens its target through the shell.
// The label draws nothing itself: the dialog forwards its colour, cursor and
// command messages (OnParentCtlColor, OnParentSetCursor, ReflectCommand).
// The control must have the notify style so that it reports clicks.
#include <windows.h>

#include <string>

#include "framework/Handles.h"

class HyperlinkLabel {
public:
    static constexpr COLORREF kLinkColour = RGB(0, 0, 255);
    static constexpr COLORREF kVisitedColour = RGB(0, 0, 80);

    HyperlinkLabel() = default;
    ~HyperlinkLabel();
    HyperlinkLabel(const HyperlinkLabel&) = delete;
    HyperlinkLabel& operator=(const HyperlinkLabel&) = delete;

    // Takes over the dialog's static control and gives it an underlined
    // copy of its font.  False when there is no such control.
    bool Attach(HWND control);
    // target: address or file, code page 932.  The label starts unvisited.
    void SetLink(const std::string& target, COLORREF link, COLORREF visited);

    // The dialog's WM_COMMAND; true when it was this label's click.
    bool ReflectCommand(WPARAM wParam, LPARAM lParam);
    // Opens the target (when there is one), then shows the visited colour.
    void OnClicked();
    // WM_CTLCOLORSTATIC of the parent: sets the text colour when `control`
    // is this label.  The brush is the parent's business.
    bool OnParentCtlColor(HDC dc, HWND control) const;
    // WM_SETCURSOR of the parent: the help cursor over this label.
    bool OnParentSetCursor(HWND under) const;

    HWND hwnd() const { return m_hwnd; }
    HFONT font() const { return m_font.get(); }
    COLORREF currentColour() const { return m_current; }
    const std::string& target() const { return m_target; }

    // How a target is opened; tests put a recorder in its place.
    using OpenFn = void (*)(HWND owner, const std::string& target);
    static OpenFn s_open;
    static void ShellOpen(HWND owner, const std::string& target);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void Detach();

    HWND m_hwnd = nullptr;
    UniqueResource<HFONT, GdiObjectTraits<HFONT>> m_font;
    COLORREF m_current = kLinkColour;
    COLORREF m_link = kLinkColour;
    COLORREF m_visited = kVisitedColour;
    std::string m_target;
};
