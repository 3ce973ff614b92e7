#include "TestPictures.h"

#include <cstdio>
#include <cstring>

Rgb TestPixel(int x, int y) {
    return Rgb{static_cast<uint8_t>(x * 7 + y * 3), static_cast<uint8_t>(x * 13 + 40), static_cast<uint8_t>(y * 11 + 90)};
}

uint8_t TestGrey(int x, int y) { return TestPixel(x, y).r; }

std::string MakePpm(int width, int height) {
    std::string out = "P6\n# tavrin test picture\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    out.reserve(out.size() + static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb p = TestPixel(x, y);
            out.push_back(static_cast<char>(p.r));
            out.push_back(static_cast<char>(p.g));
            out.push_back(static_cast<char>(p.b));
        }
    }
    return out;
}

std::string MakePgm(int width, int height) {
    std::string out = "P5 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) out.push_back(static_cast<char>(TestGrey(x, y)));
    }
    return out;
}

namespace {
void PutLe(std::string* out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

std::string MakeBmp(int width, int height) {
    uint32_t stride = ((static_cast<uint32_t>(width) * 24 + 31) / 32) * 4;
    uint32_t pixels = stride * static_cast<uint32_t>(height);
    std::string out = "BM";
    PutLe(&out, 14 + 40 + pixels, 4);
    PutLe(&out, 0, 4);
    PutLe(&out, 14 + 40, 4);
    PutLe(&out, 40, 4);
    PutLe(&out, static_cast<uint32_t>(width), 4);
    PutLe(&out, static_cast<uint32_t>(height), 4);
    PutLe(&out, 1, 2);
    PutLe(&out, 24, 2);
    PutLe(&out, 0, 4);
    PutLe(&out, pixels, 4);
    PutLe(&out, 2835, 4);
    PutLe(&out, 2835, 4);
    PutLe(&out, 0, 4);
    PutLe(&out, 0, 4);
    for (int row = height - 1; row >= 0; --row) {
        std::string line;
        for (int x = 0; x < width; ++x) {
            Rgb p = TestPixel(x, row);
            line.push_back(static_cast<char>(p.b));
            line.push_back(static_cast<char>(p.g));
            line.push_back(static_cast<char>(p.r));
        }
        line.resize(stride, '\0');
        out += line;
    }
    return out;
}

std::string MakeTar(const std::vector<TarMember>& members) {
    std::string out;
    for (const TarMember& m : members) {
        char header[512];
        std::memset(header, 0, sizeof(header));
        bool directory = !m.name.empty() && m.name.back() == '/';
        std::strncpy(header, m.name.c_str(), 99);
        std::snprintf(header + 100, 8, "%07o", 0644);
        std::snprintf(header + 108, 8, "%07o", 0);
        std::snprintf(header + 116, 8, "%07o", 0);
        std::snprintf(header + 124, 12, "%011o", directory ? 0u : static_cast<unsigned>(m.bytes.size()));
        std::snprintf(header + 136, 12, "%011o", static_cast<unsigned>(m.mtime));
        header[156] = directory ? '5' : '0';
        std::memcpy(header + 257, "ustar", 6);
        std::memcpy(header + 263, "00", 2);
        std::memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char c : header) sum += c;
        std::snprintf(header + 148, 8, "%06o", sum);
        out.append(header, sizeof(header));
        if (!directory) {
            out += m.bytes;
            out.append((512 - m.bytes.size() % 512) % 512, '\0');
        }
    }
    out.append(1024, '\0');
    return out;
}
