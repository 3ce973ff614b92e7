#pragma once
// Windows bitmap files read directly, while plug-ins are off.
#include <windows.h>

#include <cstddef>
#include <string>

// Where the pixels of a bitmap file's bytes start, once the file header, the
// bitmap header (the 12-byte core form or a 40-byte or larger one), the
// colour table and the pixel data it describes all lie inside `size` bytes;
// 0 when they do not, or for a format the system cannot make a display
// bitmap from.
size_t BitmapFilePixelsAt(const unsigned char* file, size_t size);

// Reads a bitmap file into a bitmap in the display's format, as the
// system's image loader does for a file, but opens the file sharing
// reading, writing and deleting: a viewer, an editor, a sync client or a
// virus scanner that holds the picture open does not stop it.  Null on any
// failure.
HBITMAP LoadBitmapFile(const std::string& path);
