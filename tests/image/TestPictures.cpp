#include "TestPictures.h"

#include <vector>

#include "TestSupport.h"

uint32_t Gradient(int x, int y) { return ((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | 0x40; }
uint32_t SolidRed(int, int) { return 0xFF0000; }

void WriteTestBitmap(const std::string& path, int width, int height, uint32_t (*colour)(int x, int y)) {
    int row = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = row * height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<char*>(&info), sizeof(info));
    std::vector<char> pixels(info.biSizeImage, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = colour(x, y);
            char* p = &pixels[(height - 1 - y) * row + x * 3];
            p[0] = (char)(c & 0xFF);
            p[1] = (char)((c >> 8) & 0xFF);
            p[2] = (char)((c >> 16) & 0xFF);
        }
    bytes.append(pixels.begin(), pixels.end());
    WriteBytes(path, bytes);
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP b = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(b), &b)) return SIZE{0, 0};
    return SIZE{b.bmWidth, b.bmHeight};
}

uint32_t BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}
