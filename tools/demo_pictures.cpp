// Writes the sample wallpapers of the demo list (24-bit BMP files) into a
// folder: a photo-like landscape for centre, a small pattern for tile and a
// wide gradient for stretch.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {
void Put16(std::string& b, uint16_t v) { b.push_back(char(v & 0xFF)); b.push_back(char(v >> 8)); }
void Put32(std::string& b, uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(char((v >> (8 * i)) & 0xFF)); }

template <typename Colour>
bool WriteBmp(const std::string& path, int w, int h, Colour colour) {
    int row = (w * 3 + 3) & ~3;
    std::string b = "BM";
    Put32(b, 54 + row * h);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, row * h);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        std::string line(row, '\0');
        for (int x = 0; x < w; ++x) {
            uint32_t c = colour(x, y);
            line[x * 3] = char(c & 0xFF);
            line[x * 3 + 1] = char((c >> 8) & 0xFF);
            line[x * 3 + 2] = char((c >> 16) & 0xFF);
        }
        b += line;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

uint32_t Rgb(double r, double g, double b) {
    auto c = [](double v) { return uint32_t(v < 0 ? 0 : v > 255 ? 255 : v); };
    return c(r) << 16 | c(g) << 8 | c(b);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo-pictures FOLDER\n");
        return 2;
    }
    std::string dir = std::string(argv[1]) + "/";
    bool ok = WriteBmp(dir + "landscape.bmp", 640, 400, [](int x, int y) {
        double sun = std::hypot(x - 470.0, y - 110.0);
        double hill = 260 + 40 * std::sin(x / 70.0);
        if (sun < 45) return Rgb(255, 220, 90);
        if (y > hill) return Rgb(40, 120 + (y - hill) / 3, 50);
        return Rgb(90 + y / 4.0, 150 + y / 5.0, 235);
    });
    ok = WriteBmp(dir + "tiles.bmp", 64, 64, [](int x, int y) {
        bool dark = ((x / 16) + (y / 16)) % 2 == 0;
        return dark ? Rgb(70, 60, 120) : Rgb(200, 190, 240);
    }) && ok;
    ok = WriteBmp(dir + "gradient.bmp", 320, 180, [](int x, int y) {
        return Rgb(255 * x / 320.0, 80 + 100 * y / 180.0, 255 - 255 * x / 320.0);
    }) && ok;
    if (!ok) std::fprintf(stderr, "demo-pictures: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
