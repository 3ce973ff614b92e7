#include "framework/Cp932LimitedEdit.h"

#include <commctrl.h>

#include <vector>

#include "framework/TextBridge.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x7A932;

std::wstring WindowTextW(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return std::wstring();
    std::vector<wchar_t> buffer(n + 1);
    int got = GetWindowTextW(hwnd, buffer.data(), n + 1);
    return std::wstring(buffer.data(), got > 0 ? got : 0);
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            size_t limit = GlobalSize(data) / sizeof(wchar_t);
            size_t n = 0;
            while (n < limit && p[n]) ++n;
            text.assign(p, n);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
}  // namespace

Cp932LimitedEdit::~Cp932LimitedEdit() { Detach(); }

bool Cp932LimitedEdit::Attach(HWND edit, size_t maxBytes) {
    Detach();
    if (!edit || !SetWindowSubclass(edit, &Cp932LimitedEdit::SubclassProc, kSubclassId, (DWORD_PTR)this))
        return false;
    m_hwnd = edit;
    m_maxBytes = maxBytes;
    // A first stop in characters; the byte count below is the real limit.
    SendMessageW(edit, EM_SETLIMITTEXT, maxBytes, 0);
    return true;
}

void Cp932LimitedEdit::Detach() {
    if (m_hwnd) {
        RemoveWindowSubclass(m_hwnd, &Cp932LimitedEdit::SubclassProc, kSubclassId);
        m_hwnd = nullptr;
    }
}

size_t Cp932LimitedEdit::ByteLength(const std::wstring& text) {
    if (text.empty()) return 0;
    int n = WideCharToMultiByte(kProgramCodePage, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    return n > 0 ? (size_t)n : text.size();
}

std::wstring Cp932LimitedEdit::FittingHead(const std::wstring& text, size_t room) {
    size_t end = text.find_first_of(L"\r\n");
    if (end == std::wstring::npos) end = text.size();
    size_t used = 0, i = 0;
    while (i < end) {
        size_t n = (IS_HIGH_SURROGATE(text[i]) && i + 1 < end) ? 2 : 1;
        size_t bytes = ByteLength(text.substr(i, n));
        if (used + bytes > room) break;
        used += bytes;
        i += n;
    }
    return text.substr(0, i);
}

size_t Cp932LimitedEdit::BytesOutsideSelection() const {
    std::wstring text = WindowTextW(m_hwnd);
    DWORD start = 0, end = 0;
    SendMessageW(m_hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    if (start > end) std::swap(start, end);
    if (end > text.size()) end = (DWORD)text.size();
    if (start > end) start = end;
    text.erase(start, end - start);
    return ByteLength(text);
}

bool Cp932LimitedEdit::AcceptChar(wchar_t c) {
    std::wstring typed(1, c);
    if (!FitsCp932(typed)) return false;
    return BytesOutsideSelection() + ByteLength(typed) <= m_maxBytes;
}

void Cp932LimitedEdit::Paste() {
    std::wstring text = ClipboardText(m_hwnd);
    size_t used = BytesOutsideSelection();
    size_t room = used < m_maxBytes ? m_maxBytes - used : 0;
    std::wstring head = FittingHead(text, room);
    // Characters that cannot be stored are not taken in; and a paste that
    // brings nothing (no room left, a value over the limit) leaves the
    // selection as it was rather than deleting it.
    if (head.empty() || !FitsCp932(head)) {
        if (!text.empty()) MessageBeep(MB_OK);
        return;
    }
    if (head.size() < text.size() && text.find_first_of(L"\r\n") != head.size()) MessageBeep(MB_OK);
    SendMessageW(m_hwnd, EM_REPLACESEL, TRUE, (LPARAM)head.c_str());
}

LRESULT Cp932LimitedEdit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
        wchar_t c = (wchar_t)wParam;
        if (c < 0x20) break;  // control keys (backspace, Ctrl+C ...) pass through
        if (IS_HIGH_SURROGATE(c)) {
            // A character outside the basic plane has no code page 932 form.
            m_pendingLead = c;
            MessageBeep(MB_OK);
            return 0;
        }
        if (IS_LOW_SURROGATE(c) && m_pendingLead) {
            m_pendingLead = 0;
            return 0;
        }
        if (!AcceptChar(c)) {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    }
    case WM_PASTE:
        Paste();
        return 0;
    case WM_IME_COMPOSITION: {
        // The control may take a finished composition in directly; a result
        // that does not fit is taken back.
        std::wstring before = WindowTextW(m_hwnd);
        DWORD start = 0, end = 0;
        SendMessageW(m_hwnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
        LRESULT result = DefSubclassProc(m_hwnd, message, wParam, lParam);
        std::wstring after = WindowTextW(m_hwnd);
        // Over the limit nothing is put in, as with typing.
        if (after != before && (ByteLength(after) > m_maxBytes || !FitsCp932(after))) {
            SetWindowTextW(m_hwnd, before.c_str());
            SendMessageW(m_hwnd, EM_SETSEL, start, end);
            MessageBeep(MB_OK);
        }
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Cp932LimitedEdit::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self) {
    auto* edit = reinterpret_cast<Cp932LimitedEdit*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Cp932LimitedEdit::SubclassProc, kSubclassId);
        edit->m_hwnd = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return edit->OnMessage(message, wParam, lParam);
}
