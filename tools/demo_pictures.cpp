// Writes the sample wallpapers of the demo list (24-bit BMP files) into a
// folder: a photo-like landscape for centre, a small pattern for tile and a
// wide gradient for stretch.  Built for Windows with DEMO_MODERN_FORMATS it
// writes instead the pictures that need the imaging plug-in: a JPEG photo
// and a PNG, encoded through the Windows Imaging Component.
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

#ifdef DEMO_MODERN_FORMATS
#include <windows.h>
#include <wincodec.h>

namespace {
// An evening sky over the sea, for the JPEG.
uint32_t Sunset(int x, int y) {
    double horizon = 300, sun = std::hypot(x - 520.0, y - 270.0);
    if (sun < 60) return Rgb(255, 200 + sun / 2, 120);
    if (y < horizon) return Rgb(250 - y / 4.0 + 10 * std::exp(-sun / 200), 110 + y / 3.0, 140 + y / 6.0);
    double glitter = std::exp(-std::abs(x - 520.0) / 40) * (0.5 + 0.5 * std::sin(y * 0.9 + x * 0.05));
    return Rgb(40 + 200 * glitter, 60 + 120 * glitter, 110 + 60 * glitter);
}

// Overlapping rings on a dark ground, for the PNG.
uint32_t Rings(int x, int y) {
    double a = std::hypot(x - 160.0, y - 150.0), b = std::hypot(x - 320.0, y - 150.0);
    bool inA = std::fmod(a, 40) < 14, inB = std::fmod(b, 40) < 14;
    if (inA && inB) return Rgb(250, 240, 120);
    if (inA) return Rgb(60, 170, 230);
    if (inB) return Rgb(230, 90, 120);
    return Rgb(25, 30, 50);
}
// Encodes a picture whose pixel (x, y) is colour(x, y) as `container`.
bool WriteEncoded(const std::wstring& path, const GUID& container, int w, int h, uint32_t (*colour)(int, int)) {
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* options = nullptr;
    std::vector<BYTE> rows(size_t(w) * 3 * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = colour(x, y);
            BYTE* p = &rows[(size_t(y) * w + x) * 3];
            p[0] = BYTE(c);
            p[1] = BYTE(c >> 8);
            p[2] = BYTE(c >> 16);
        }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
              SUCCEEDED(factory->CreateStream(&stream)) &&
              SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
              SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
              SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) && SUCCEEDED(frame->Initialize(options)) &&
              SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
              IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
              SUCCEEDED(frame->WritePixels(h, UINT(w) * 3, UINT(rows.size()), rows.data())) &&
              SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    if (options) options->Release();
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    return ok;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo-pictures-wic FOLDER\n");
        return 2;
    }
    std::wstring dir = std::wstring(argv[1]) + L"\\";
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = WriteEncoded(dir + L"sunset.jpg", GUID_ContainerFormatJpeg, 800, 500, Sunset) &&
              WriteEncoded(dir + L"rings.png", GUID_ContainerFormatPng, 480, 300, Rings);
    if (SUCCEEDED(init)) CoUninitialize();
    if (!ok) std::fprintf(stderr, "demo-pictures-wic: cannot write the JPEG and PNG into %ls\n", argv[1]);
    return ok ? 0 : 1;
}
#else

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
#endif
