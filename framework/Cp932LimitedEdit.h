#pragma once
// An edit control whose text is limited in code page 932 bytes, the way the
// program stores it: a double-byte character counts two.  The control
// itself holds UTF-16, so a limit in characters would let 128 Japanese
// characters (256 bytes) through; this one stops typing and pasting at the
// byte limit.  Characters without a code page 932 form are refused too, as
// they could not be stored.  Text set by the program (WM_SETTEXT) is not
// limited and never cut: while it is longer than the limit, deleting still
// works, and typing, pasting or an input method insert only when what
// results fits within the limit.
#include <windows.h>

#include <string>

class Cp932LimitedEdit {
public:
    Cp932LimitedEdit() = default;
    ~Cp932LimitedEdit();
    Cp932LimitedEdit(const Cp932LimitedEdit&) = delete;
    Cp932LimitedEdit& operator=(const Cp932LimitedEdit&) = delete;

    // Takes over the edit control; false when it cannot be subclassed.
    bool Attach(HWND edit, size_t maxBytes);
    void Detach();
    HWND hwnd() const { return m_hwnd; }
    size_t maxBytes() const { return m_maxBytes; }

    // Code page 932 bytes of `text` (a character without a form counts one).
    static size_t ByteLength(const std::wstring& text);
    // The longest head of `text`, cut between characters, that takes at most
    // `room` bytes; a single-line paste also ends at the first line break.
    static std::wstring FittingHead(const std::wstring& text, size_t room);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Bytes of the text outside the current selection (what a typed or
    // pasted text replaces).
    size_t BytesOutsideSelection() const;
    bool AcceptChar(wchar_t c);
    void Paste();

    HWND m_hwnd = nullptr;
    size_t m_maxBytes = 0;
    wchar_t m_pendingLead = 0;  // the first half of a surrogate pair typed
};
