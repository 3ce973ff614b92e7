// Shared pieces of the documentation picture makers (tools/shots_*.cpp):
// demo pictures drawn on the spot, a window saved as it is on the screen,
// and the timer that waits for a dialog, prepares it, saves and closes it.
#pragma once

#include <windows.h>

#include <string>

// `from` mixed with `to` in the proportion t/255.
COLORREF BlendColour(COLORREF from, COLORREF to, int t);
// A 24-bit BMP file with a diagonal gradient from `from` (top left) to `to`.
std::string DemoBmp(int width, int height, COLORREF from, COLORREF to);
// Writes `bytes` to the file `path` (code page 932), replacing it.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The window as it is on the screen, as a 24-bit BMP file.
bool SaveWindowPicture(HWND hwnd, const std::wstring& path);
// A part of the screen, as a 24-bit BMP file.
bool SaveScreenPicture(const RECT& part, const std::wstring& path);

// The first visible dialog box (class #32770) of the calling thread.
HWND FindThreadDialog();
// The first window of `className` below `parent`, searched depth first.
HWND FindDescendant(HWND parent, const wchar_t* className);
void SetListViewRowState(HWND list, int row, UINT mask, UINT state);

// One picture of one dialog: once `find` returns a visible window, `prepare`
// sets it up, the dialog is given time to draw, then it is saved to `output`
// and closed with Cancel (and OK, for dialogs that have only OK).
struct DialogShot {
    HWND (*find)() = &FindThreadDialog;
    void (*prepare)(HWND) = nullptr;
    // Another window saved in the same picture (a dropped-down list), or none.
    HWND (*also)() = nullptr;
    std::wstring output;
    bool closeWithOk = false;
    int ticks = 0;
    bool saved = false;
};
// Starts the thread timer that takes `shot`; it must outlive the dialog's loop.
void StartDialogShot(DialogShot& shot);
