#pragma once
// A bitmap as the bytes of a BMP file, and that file written safely.
#include <windows.h>

#include <string>

// The BMP file image of a bitmap, as the screen's colour format gives it
// (file header, information header with masks or colour table, pixels).
bool BuildBitmapFileImage(HDC dc, HBITMAP bitmap, std::string* image);
// Writes a bitmap as a BMP file, through a temporary file put in its place.
bool WriteBitmapFile(HBITMAP bitmap, const std::string& path);
