#pragma once
// How every dialog draws its small preview of a picture: the whole picture
// stretched into the preview control (the aspect ratio is not kept); the
// button-face colour when there is no picture.
#include <windows.h>

// Where the preview control lies in its dialog's client area: the part the
// dialog invalidates when the picture changes.
RECT PreviewRectIn(HWND dialog, HWND control);

void DrawDialogPreview(HWND control, int width, int height, HBITMAP picture, bool halftone);

// A width x height bitmap compatible with `dc`, filled with COLOR_BTNFACE.
HBITMAP CreateButtonFaceBitmap(HDC dc, int width, int height);
