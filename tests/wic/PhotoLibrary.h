#pragma once
// A list of large camera photos for the real tavrin.exe, and what can be
// seen of the running program from outside: its resident memory and its
// preview window.
#include <windows.h>

#include <cstdint>
#include <string>

// Writes `count` JPEG photos of width x height into `folder` (one encoded
// picture copied under many names: the cache keys by path) and a list file
// naming them in stretch style.  The photo at the bottom of the menu (the
// list's first entry) is flat magenta, the others smooth colours, so the
// preview shows when the walk has reached the bottom.  False on failure.
bool WritePhotoLibrary(const std::string& folder, const std::string& listFile, int count, int width, int height);
// The colour of the bottom photo.
constexpr COLORREF kBottomPhotoColour = RGB(0xFF, 0x00, 0xFF);
bool IsBottomPhotoColour(COLORREF colour);

// Resident memory of a process now and at its peak, in bytes; false when the
// system does not tell.
bool ResidentMemory(HANDLE process, uint64_t* now, uint64_t* peak);

// The program's visible preview window (a topmost tool window), or null.
HWND FindVisiblePreview(DWORD processId);
// The colour at the middle of a window as the screen shows it.
COLORREF ColourAtMiddle(HWND window);
