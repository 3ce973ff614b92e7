#pragma once
// Test pictures and archives made in memory: binary Netpbm pictures with a
// known pattern, ustar archives of stored members, 24-bit Windows bitmaps.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The pattern every test picture is drawn with.
Rgb TestPixel(int x, int y);
// Grey pictures use the red channel of the pattern.
uint8_t TestGrey(int x, int y);

std::string MakePpm(int width, int height);
std::string MakePgm(int width, int height);
std::string MakeBmp(int width, int height);

struct TarMember {
    std::string name;  // "dir/name" or "name"; a name ending in '/' is a directory
    std::string bytes;
    uint32_t mtime = 0;
};
std::string MakeTar(const std::vector<TarMember>& members);
