#pragma once
// What the preview store keeps of a picture: the picture reduced with
// halftone scaling (so a stored preview looks the same on every system and
// never shows the aliasing of a plain reduction), kept as JPEG through the
// system's imaging codecs, and made back into a bitmap when shown.
#include <windows.h>

#include <string>

#include "image/CDIBitmap.h"

// `picture` reduced to width x height, 24-bit.  False when the system refuses.
bool ReducePicture(HBITMAP picture, int width, int height, CDIBitmap* out);
// The pixels as JPEG bytes; false when the codec is missing or fails.
bool EncodePreview(const CDIBitmap& pixels, std::string* encoded);
// A 24-bit bitmap of exactly width x height from encoded bytes (the store's
// file, so untrusted); null when they do not decode to that size.
HBITMAP DecodePreview(const std::string& encoded, int width, int height);
