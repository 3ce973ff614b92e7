#pragma once
// The layout of a Windows bitmap file, judged from its bytes alone: no system
// call, so the check is tested and fuzzed natively too.
#include <cstddef>

// Where the pixels of a bitmap file's bytes start, once the file header, the
// bitmap header (the 12-byte core form or a 40-byte or larger one), the
// colour table and the pixel data it describes all lie inside `size` bytes;
// 0 when they do not, or for a format the system cannot make a display
// bitmap from.
size_t BitmapFilePixelsAt(const unsigned char* file, size_t size);
