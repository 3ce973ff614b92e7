#include "image/PreviewDrawing.h"

#include "image/LookDrawing.h"
#include "framework/Handles.h"

HBITMAP CreateButtonFaceBitmap(HDC dc, int width, int height) {
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width > 0 ? width : 1, height > 0 ? height : 1);
    if (!bitmap) return nullptr;
    UniqueMemoryDC memory(CreateCompatibleDC(dc));
    ScopedSelect select(memory.get(), bitmap);
    RECT r = {0, 0, width, height};
    FillRect(memory.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
    return bitmap;
}

RECT PreviewRectIn(HWND dialog, HWND control) {
    RECT r = {};
    if (!GetWindowRect(control, &r)) return RECT{};
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void DrawDialogPreview(HWND control, int width, int height, HBITMAP picture, bool halftone, DisplayStyle style) {
    WindowDC dc(control);
    if (!dc) return;
    UniqueMemoryDC memory(CreateCompatibleDC(dc.get()));
    UniqueBitmap placeholder;
    if (!picture) {
        placeholder.reset(CreateButtonFaceBitmap(dc.get(), width, height));
        picture = placeholder.get();
    }
    BITMAP info = {};
    if (!memory || !picture || !GetObjectW(picture, sizeof(info), &info)) return;
    ScopedSelect select(memory.get(), picture);
    if (IsAspectStyle(style) && !placeholder) {
        DrawLook(dc.get(), width, height, memory.get(), info.bmWidth, info.bmHeight, style, halftone);
        return;
    }
    if (halftone) {
        SetStretchBltMode(dc.get(), HALFTONE);
        SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    }
    StretchBlt(dc.get(), 0, 0, width, height, memory.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}
