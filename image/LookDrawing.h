#pragma once
// Draws the desktop the way the program lays it out itself: one picture's
// look at a monitor's size in any display style (fit and fill always with
// halftone scaling, so the result is the same on every system), and the
// picture of the whole virtual screen with each monitor's look at the place
// where the system's tiles show it.
#include <windows.h>

#include <string>
#include <vector>

#include "image/CDIBitmap.h"
#include "image/MonitorLayout.h"
#include "list/DisplayStyle.h"

// Draws the picture selected into `pictureDC` (its size given) in `style`
// into the width x height area at the top-left of `target`.  Stretch uses
// halftone scaling when `halftone` is set, fit and fill always; centre and
// fit put the desktop colour around the picture; an unknown style draws nothing.
void DrawLook(HDC target, int width, int height, HDC pictureDC, int pictureWidth, int pictureHeight,
              DisplayStyle style, bool halftone);

// One monitor and what it shows.
struct MonitorLook {
    monitor_layout::Rect monitor;  // screen coordinates
    HBITMAP picture = nullptr;     // the cache's, never deleted here; none: the desktop colour
    DisplayStyle style = kStyleCentre;
};

// `picture` in `style` at width x height, in the screen's format; the
// caller deletes it.  Null when the system refuses.
HBITMAP DrawLookBitmap(HBITMAP picture, DisplayStyle style, int width, int height, bool halftone);
// The same as a 24-bit bitmap whose bytes can be read directly.
bool RenderLook(HBITMAP picture, DisplayStyle style, int width, int height, bool halftone, CDIBitmap* out);
// The picture of the whole virtual screen, set tiled: each monitor's look
// at its wrapped places, black outside every monitor.  A monitor in span
// style shows its part of the picture spread over the whole virtual screen.
bool ComposeVirtualScreen(const monitor_layout::Rect& virtualScreen, const std::vector<MonitorLook>& looks,
                          bool halftone, CDIBitmap* out);

// The pixels of a bitmap made by RenderLook or ComposeVirtualScreen.
monitor_layout::PixelView PixelsOf(const CDIBitmap& bitmap);
