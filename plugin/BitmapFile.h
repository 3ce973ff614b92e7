#pragma once
// Windows bitmap files read directly, while plug-ins are off.
#include <windows.h>

#include <cstddef>
#include <string>

// Reads a bitmap file into a bitmap in the display's format, as the
// system's image loader does for a file, but opens the file sharing
// reading, writing and deleting: a viewer, an editor, a sync client or a
// virus scanner that holds the picture open does not stop it.  Null on any
// failure.
HBITMAP LoadBitmapFile(const std::string& path);
