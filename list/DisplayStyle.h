#pragma once
#include <cstdint>

// How a picture is laid out on the desktop.  Stored as a signed 32-bit value;
// values outside 0 to 2 are kept as they are and have no name.
using DisplayStyle = int32_t;

enum : DisplayStyle {
    kStyleCentre = 0,
    kStyleTile = 1,
    kStyleStretch = 2,
};

// The style's name in code page 932 ("中央", "並べる", "拡大"), or null.
const char* StyleName(DisplayStyle style);
