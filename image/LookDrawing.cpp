#include "image/LookDrawing.h"

#include "framework/Handles.h"

using monitor_layout::Look;
using monitor_layout::Rect;

namespace {
void FillDesktopColour(HDC dc, int width, int height) {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BACKGROUND));
}

// Tiles from the top-left corner; after the first copy the tiled part is
// copied onto itself, doubling each time, so a tiny picture costs a few
// copies rather than one per tile.
void Tile(HDC dc, int width, int height, HDC pictureDC, int pictureWidth, int pictureHeight) {
    BitBlt(dc, 0, 0, pictureWidth, pictureHeight, pictureDC, 0, 0, SRCCOPY);
    for (int done = pictureWidth; done < width; done *= 2) BitBlt(dc, done, 0, done, pictureHeight, dc, 0, 0, SRCCOPY);
    for (int done = pictureHeight; done < height; done *= 2) BitBlt(dc, 0, done, width, done, dc, 0, 0, SRCCOPY);
}
}  // namespace

void DrawLook(HDC target, int width, int height, HDC pictureDC, int pictureWidth, int pictureHeight,
              DisplayStyle style, bool halftone) {
    const Look look = monitor_layout::LookFor(style, pictureWidth, pictureHeight, width, height);
    if (!look.draws) return;
    if (look.background) FillDesktopColour(target, width, height);
    if (look.tiled) {
        Tile(target, width, height, pictureDC, pictureWidth, pictureHeight);
        return;
    }
    const Rect& s = look.source;
    const Rect& t = look.target;
    if (s.width() == t.width() && s.height() == t.height()) {
        BitBlt(target, t.left, t.top, t.width(), t.height(), pictureDC, s.left, s.top, SRCCOPY);
        return;
    }
    // Photos are shrunk a lot here: the default mode would drop whole rows.
    if (halftone || IsAspectStyle(style)) {
        SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
    }
    StretchBlt(target, t.left, t.top, t.width(), t.height(), pictureDC, s.left, s.top, s.width(), s.height(), SRCCOPY);
}

monitor_layout::PixelView PixelsOf(const CDIBitmap& bitmap) {
    return monitor_layout::PixelView{bitmap.m_pTopRow, bitmap.m_nRowStep, bitmap.m_nWidth, bitmap.m_nHeight};
}

HBITMAP DrawLookBitmap(HBITMAP picture, DisplayStyle style, int width, int height, bool halftone) {
    WindowDC screen(GetDesktopWindow());
    if (!screen) return nullptr;
    // The screen's own format: Wine's halftone scaling into it is several
    // times faster than into a 24-bit section.
    UniqueBitmap drawn(CreateCompatibleBitmap(screen.get(), width, height));
    UniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
    if (!drawn || !dc) return nullptr;
    {
        ScopedSelect selectDrawn(dc.get(), drawn.get());
        if (!selectDrawn.ok()) return nullptr;
        BITMAP info = {};
        if (!picture || !GetObjectW(picture, sizeof(info), &info)) {
            FillDesktopColour(dc.get(), width, height);  // a monitor with nothing to show
        } else {
            UniqueMemoryDC pictureDC(CreateCompatibleDC(screen.get()));
            if (!pictureDC) return nullptr;
            ScopedSelect selectPicture(pictureDC.get(), picture);
            if (!selectPicture.ok()) return nullptr;
            DrawLook(dc.get(), width, height, pictureDC.get(), info.bmWidth, info.bmHeight, style, halftone);
        }
    }
    return drawn.release();
}

bool RenderLook(HBITMAP picture, DisplayStyle style, int width, int height, bool halftone, CDIBitmap* out) {
    UniqueBitmap drawn(DrawLookBitmap(picture, style, width, height, halftone));
    WindowDC screen(GetDesktopWindow());
    if (!drawn || !screen || !out->Create(screen.get(), width, height)) return false;
    UniqueMemoryDC from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    if (!from || !to) return false;
    ScopedSelect selectFrom(from.get(), drawn.get());
    ScopedSelect selectTo(to.get(), out->handle());
    if (!selectFrom.ok() || !selectTo.ok() || !BitBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, SRCCOPY))
        return false;
    GdiFlush();  // the bytes are read directly next
    return true;
}

bool ComposeVirtualScreen(const Rect& screen, const std::vector<MonitorLook>& looks, bool halftone, CDIBitmap* out) {
    WindowDC desktop(GetDesktopWindow());
    // A fresh section is zero: black wherever no monitor is.
    if (!desktop || !out->Create(desktop.get(), screen.width(), screen.height())) return false;
    // A span picture is drawn once at the virtual screen's size; each
    // monitor showing it takes its own part of that one look.
    HBITMAP spanPicture = nullptr;
    CDIBitmap spanImage;
    for (const MonitorLook& look : looks) {
        if (look.monitor.empty()) continue;
        if (look.style == kStyleSpan && look.picture) {
            if (spanPicture != look.picture) {
                if (!RenderLook(look.picture, kStyleSpan, screen.width(), screen.height(), halftone, &spanImage))
                    return false;
                spanPicture = look.picture;
            }
            monitor_layout::CopySpanned(PixelsOf(spanImage), look.monitor, screen, PixelsOf(*out));
            continue;
        }
        CDIBitmap monitorImage;
        if (!RenderLook(look.picture, look.style, look.monitor.width(), look.monitor.height(), halftone, &monitorImage))
            return false;
        monitor_layout::CopyWrapped(PixelsOf(monitorImage), look.monitor, screen, PixelsOf(*out));
    }
    return true;
}
