#pragma once
// Decoding one picture through the Windows Imaging Component into the
// blocks a Susie host expects: a BITMAPINFOHEADER block and a block of
// 24-bit bottom-up rows padded to 4 bytes, both movable local memory.
// The first frame is the picture; its EXIF orientation is applied, and
// transparent pixels are laid over black.
#include <windows.h>

#include "PictureBytes.h"
#include "SusieApi.h"

// Fills the picture information record.  Returns a Susie code.
int ReadPictureInfo(const PictureBytes& bytes, SusiePictureInfo* info);

// On success *info and *bits are the caller's; on failure both stay null.
int DecodePicture(const PictureBytes& bytes, HLOCAL* info, HLOCAL* bits, SusieProgress progress,
                  LONG_PTR progressData);
