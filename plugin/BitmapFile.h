#pragma once
// Windows bitmap files read directly, while plug-ins are off.
#include <windows.h>

#include <cstddef>
#include <string>

// Reads a bitmap file into a bitmap in the display's format, as the
// system's image loader does for a file, but opens the file sharing
// reading, writing and deleting: a viewer, an editor, a sync client or a
// virus scanner that holds the picture open does not stop it.  Null on any
// failure; `lackedMemory` tells whether it was for lack of memory (for the
// file's bytes, or for the display bitmap of a file that passed the check).
HBITMAP LoadBitmapFile(const std::string& path, bool* lackedMemory = nullptr);

// Makes the display bitmap of a checked header, colour table and pixels: the system's CreateDIBitmap, unless a test puts another in its
// place (a system without room for one more bitmap).
using DisplayBitmapMaker = HBITMAP (*)(HDC screen, const BITMAPINFO* info, const void* pixels);
// Puts `maker` in place, or the system's again for null; returns the one it replaces.
DisplayBitmapMaker ReplaceDisplayBitmapMaker(DisplayBitmapMaker maker);
// The display bitmap through the maker in place: bitmap files and the
// decoders' blocks alike.
HBITMAP MakeDisplayBitmap(HDC screen, const BITMAPINFO* info, const void* pixels);
