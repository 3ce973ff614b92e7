#pragma once
// Where pictures go when the program lays out the desktop itself: the look
// of one picture in one monitor for every display style (fit and fill keep
// the aspect), and the places of each monitor in the single tiled picture of
// the whole virtual screen.  Plain arithmetic and byte copies, so it is
// tested on pixel buffers without a window.
#include <cstdint>
#include <vector>

#include "list/DisplayStyle.h"

namespace monitor_layout {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Fit: the largest rectangle with the picture's aspect inside an area of
// the given size, centred in it (never less than one pixel each way).
// Empty when a size is 0 or less.
Rect FitRect(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);
// Fill: the centred part of the picture, in picture pixels, that has the
// area's aspect; stretched over the whole area it covers it with nothing
// distorted.  Empty when a size is 0 or less.
Rect FillSource(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// How one picture is drawn into an area of width x height pixels.
struct Look {
    bool draws = false;       // false: the area stays as it is (unknown style)
    bool background = false;  // fill the area with the desktop colour first
    bool tiled = false;       // repeat `target` from the top-left corner
    Rect source;              // the part of the picture, in picture pixels
    Rect target;              // where that part goes in the area
};
Look LookFor(DisplayStyle style, int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// One part of a monitor in the tiled picture of the virtual screen: `source`
// in the monitor's own pixels goes to (x, y) in that picture.
struct Piece {
    Rect source;
    int x = 0, y = 0;
};
// The system lays the tiles from the main monitor's top-left corner, screen
// point (0, 0): screen pixel (x, y) shows the picture's pixel
// (x mod width, y mod height) of the virtual screen.  So a monitor left of or
// above the main one lands wrapped around, in up to four pieces.  Parts of the
// monitor outside the virtual screen are left out.
std::vector<Piece> WrappedPieces(const Rect& monitor, const Rect& virtualScreen);

// 24-bit pixels (blue, green, red) with rows `rowStep` bytes apart, top row first.
struct PixelView {
    uint8_t* topRow = nullptr;
    int32_t rowStep = 0;
    int32_t width = 0, height = 0;
    uint8_t* at(int x, int y) const { return topRow + static_cast<intptr_t>(y) * rowStep + 3 * x; }
};
void FillPixels(const PixelView& image, uint8_t blue, uint8_t green, uint8_t red);
// Copies a monitor's look (the monitor's size) into the virtual screen's
// picture (the virtual screen's size) at the monitor's wrapped places.
// Sizes that do not match are clipped, never overrun.
void CopyWrapped(const PixelView& monitorLook, const Rect& monitor, const Rect& virtualScreen, const PixelView& canvas);
// Span: `spanLook` is one look of the virtual screen's size (its top-left
// pixel is the virtual screen's top-left corner); the monitor's part of it
// goes to the monitor's wrapped places.  Only monitors are copied, so the
// gaps between monitors stay as they are in the canvas.
void CopySpanned(const PixelView& spanLook, const Rect& monitor, const Rect& virtualScreen, const PixelView& canvas);

}  // namespace monitor_layout
