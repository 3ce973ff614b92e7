#pragma once
// The layout of a Windows bitmap file, judged from its bytes alone: no system
// call, so the check is tested and fuzzed natively too.
#include <cstddef>

// Where the pixels of a bitmap file's bytes start, once the file header, the
// bitmap header (of a size the format defines: 12, 40, 52, 56, 108 or 124
// bytes), the colour masks, every colour the header states and the pixel
// data it describes all lie inside `size` bytes; 0 when they do not, or for
// a form the system cannot make a display bitmap from.
size_t BitmapFilePixelsAt(const unsigned char* file, size_t size);
