#pragma once
// Finds the orientation a camera recorded for a photo (the EXIF/TIFF tag
// 274, values 1 to 8) in the bytes of a picture file: a JPEG's APP1 "Exif"
// segment, a TIFF's first directory, a PNG's eXIf chunk or a WebP's EXIF
// chunk.  The bytes come from outside: every offset is checked, and a
// picture without a readable tag is upright (1).  Standard C++ only.
#include <cstddef>
#include <cstdint>

// 1 (upright) when none is found or the value is outside 1..8.
int FindOrientation(const uint8_t* data, size_t size);

// The tag inside a TIFF structure (byte-order mark first), as EXIF holds it.
int OrientationInTiff(const uint8_t* tiff, size_t size);
