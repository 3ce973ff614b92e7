#pragma once
// How every dialog draws its small preview of a picture: the whole picture
// stretched into the preview control (the aspect ratio is not kept); the
// button-face colour when there is no picture.
#include <windows.h>

#include "list/DisplayStyle.h"

// Where the preview control lies in its dialog's client area: the part the
// dialog invalidates when the picture changes.
RECT PreviewRectIn(HWND dialog, HWND control);

// A picture shown in fit or fill style keeps its aspect here too, fitted or
// filled into the control as on a monitor of the control's shape.
void DrawDialogPreview(HWND control, int width, int height, HBITMAP picture, bool halftone,
                       DisplayStyle style = kStyleStretch);

// A width x height bitmap compatible with `dc`, filled with COLOR_BTNFACE.
HBITMAP CreateButtonFaceBitmap(HDC dc, int width, int height);
