#include "image/BitmapFileImage.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/Handles.h"
#include "util/FileIO.h"

bool BuildBitmapFileImage(HDC dc, HBITMAP bitmap, std::string* image) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    if (!GetDIBits(dc, bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)) return false;
    if (header.biHeight == 0 || header.biWidth <= 0) return false;

    // The header block: masks for 16 and 32 bits, a colour table below 24.
    size_t headerBlock;
    switch (header.biBitCount) {
    case 16: case 32: headerBlock = 52; break;
    case 24: headerBlock = 44; break;
    default:
        if (header.biBitCount == 0 || header.biBitCount > 8) return false;
        headerBlock = 40 + 4 * (size_t(1) << header.biBitCount);
    }
    int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    size_t rowBytes = ((size_t(header.biWidth) * header.biBitCount + 31) / 32) * 4;
    size_t pixelBytes = rowBytes * height;
    if (header.biSizeImage < pixelBytes) header.biSizeImage = static_cast<DWORD>(pixelBytes);

    // One buffer for the whole file: the pixels are read straight into place.
    const size_t pixelOffset = sizeof(BITMAPFILEHEADER) + headerBlock;
    image->assign(pixelOffset + header.biSizeImage + 16, '\0');  // room for masks after the header
    std::vector<uint8_t> info(headerBlock + 16, 0);
    std::memcpy(info.data(), &header, sizeof(header));
    if (GetDIBits(dc, bitmap, 0, height, &(*image)[pixelOffset], reinterpret_cast<BITMAPINFO*>(info.data()),
                  DIB_RGB_COLORS) != height)
        return false;
    image->resize(pixelOffset + header.biSizeImage);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = static_cast<DWORD>(pixelOffset);
    file.bfSize = static_cast<DWORD>(image->size());
    std::memcpy(&(*image)[0], &file, sizeof(file));
    std::memcpy(&(*image)[sizeof(file)], info.data(), headerBlock);
    return true;
}

bool WriteBitmapFile(HBITMAP bitmap, const std::string& path) {
    WindowDC desktop(GetDesktopWindow());
    std::string image;
    DWORD error = 0;
    return desktop && BuildBitmapFileImage(desktop.get(), bitmap, &image) && ReplaceFileContents(path, image, &error);
}
