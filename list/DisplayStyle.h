#pragma once
#include <cstdint>

// How a picture is laid out on the desktop.  Stored as a signed 32-bit value;
// values outside 0 to 5 are kept as they are and have no name.
using DisplayStyle = int32_t;

enum : DisplayStyle {
    kStyleCentre = 0,
    kStyleTile = 1,
    kStyleStretch = 2,
    // The program lays these two out itself, the same on every system.
    kStyleFit = 3,   // the whole picture, as large as fits, aspect kept
    kStyleFill = 4,  // covers the monitor, aspect kept, centred, overflow cropped
    // One picture over all monitors: fills their bounding rectangle, aspect
    // kept, centred, overflow cropped.  On a single monitor it is fill.
    kStyleSpan = 5,
    kLastStyle = kStyleSpan,
};

// The style's name in code page 932 ("中央", "並べる", "拡大", "全体表示",
// "画面いっぱい", "スパン"), or null.
const char* StyleName(DisplayStyle style);
// Whether the style has a name: 0 to 5.
inline bool IsKnownStyle(DisplayStyle style) { return style >= kStyleCentre && style <= kLastStyle; }
// Fit, fill and span: scaled by the program with the aspect kept.
inline bool IsAspectStyle(DisplayStyle style) {
    return style == kStyleFit || style == kStyleFill || style == kStyleSpan;
}
// How a style is drawn on one monitor of its own: span covers that monitor
// as fill does; every other style is itself.
inline DisplayStyle StyleOnOneMonitor(DisplayStyle style) { return style == kStyleSpan ? kStyleFill : style; }
