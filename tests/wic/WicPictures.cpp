#include "WicPictures.h"

#include <objbase.h>
#include <wincodec.h>

#include <cmath>
#include <cstring>

namespace {
template <typename T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string Be32(uint32_t v) {
    return std::string{char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
}

// The TIFF structure EXIF uses, with one directory entry: orientation.
std::string ExifTiff(int value, bool bigEndian) {
    auto u16 = [&](uint16_t v) {
        return bigEndian ? std::string{char(v >> 8), char(v & 0xFF)} : std::string{char(v & 0xFF), char(v >> 8)};
    };
    auto u32 = [&](uint32_t v) { return u16(bigEndian ? uint16_t(v >> 16) : uint16_t(v & 0xFFFF)) +
                                        u16(bigEndian ? uint16_t(v & 0xFFFF) : uint16_t(v >> 16)); };
    std::string t = bigEndian ? "MM" : "II";
    t += u16(42) + u32(8);
    t += u16(1);                                        // one entry
    t += u16(274) + u16(3) + u32(1) + u16(uint16_t(value)) + u16(0);
    t += u32(0);                                        // no next directory
    return t;
}

const GUID& ContainerGuid(Container c) {
    switch (c) {
    case Container::Png: return GUID_ContainerFormatPng;
    case Container::Jpeg: return GUID_ContainerFormatJpeg;
    case Container::Gif: return GUID_ContainerFormatGif;
    case Container::Tiff: return GUID_ContainerFormatTiff;
    default: return GUID_ContainerFormatBmp;
    }
}
}  // namespace

TestImage MakeImage(int width, int height, uint32_t (*colour)(int, int)) {
    TestImage image;
    image.width = width;
    image.height = height;
    image.argb.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.argb[static_cast<size_t>(y) * width + x] = colour(x, y);
    return image;
}

uint32_t Blocks16(int x, int y) {
    static const uint32_t kColours[16] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                          0xFF00FFFF, 0xFFFF00FF, 0xFF804020, 0xFF208040, 0xFF402080, 0xFF808080,
                                          0xFFC0C0C0, 0xFF123456, 0xFFFEDCBA, 0xFF7F7F00};
    return kColours[((x / 4) + 3 * (y / 3)) % 16];
}

uint32_t Smooth(int x, int y) {
    auto wave = [](double base, double amplitude, double t) { return uint32_t(base + amplitude * std::sin(t)); };
    return 0xFF000000u | wave(128, 90, x / 23.0) << 16 | wave(120, 80, y / 17.0) << 8 | wave(130, 60, (x + y) / 31.0);
}

uint32_t Quarters(int x, int y) {
    bool right = x >= kQuartersWidth / 2, bottom = y >= kQuartersHeight / 2;
    if (!bottom) return right ? 0xFF00C000 : 0xFFE00000;
    return right ? 0xFFFFFFFF : 0xFF0000E0;
}

const char* ContainerName(Container c) {
    switch (c) {
    case Container::Png: return "PNG";
    case Container::Jpeg: return "JPEG";
    case Container::Gif: return "GIF";
    case Container::Tiff: return "TIFF";
    default: return "BMP";
    }
}

std::string EncodePicture(Container container, const TestImage& image, bool withAlpha) {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string out;
    {
        Com<IWICImagingFactory> factory;
        Com<IStream> memory;
        Com<IWICBitmapEncoder> encoder;
        Com<IWICBitmapFrameEncode> frame;
        Com<IPropertyBag2> options;
        Com<IWICPalette> palette;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(&factory))) ||
            FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &memory)) ||
            FAILED(factory->CreateEncoder(ContainerGuid(container), nullptr, &encoder)) ||
            FAILED(encoder->Initialize(memory.p, WICBitmapEncoderNoCache)) ||
            FAILED(encoder->CreateNewFrame(&frame, &options)))
            goto done;
        if (container == Container::Jpeg && options.p) {
            PROPBAG2 name = {};
            name.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_R4;
            v.fltVal = 1.0f;
            options->Write(1, &name, &v);
        }
        if (FAILED(frame->Initialize(options.p)) || FAILED(frame->SetSize(image.width, image.height))) goto done;
        {
            const size_t n = image.argb.size();
            std::vector<BYTE> pixels;
            UINT stride;
            WICPixelFormatGUID format;
            if (container == Container::Gif) {
                // Indexed: the palette holds the picture's own colours.
                std::vector<WICColor> colours;
                pixels.resize(n);
                for (size_t i = 0; i < n; ++i) {
                    size_t k = 0;
                    while (k < colours.size() && colours[k] != image.argb[i]) ++k;
                    if (k == colours.size()) {
                        if (colours.size() == 256) goto done;
                        colours.push_back(image.argb[i]);
                    }
                    pixels[i] = BYTE(k);
                }
                format = GUID_WICPixelFormat8bppIndexed;
                stride = UINT(image.width);
                if (FAILED(factory->CreatePalette(&palette)) ||
                    FAILED(palette->InitializeCustom(colours.data(), UINT(colours.size()))) ||
                    FAILED(frame->SetPalette(palette.p)))
                    goto done;
            } else if (withAlpha) {
                format = GUID_WICPixelFormat32bppBGRA;
                stride = UINT(image.width) * 4;
                pixels.resize(n * 4);
                std::memcpy(pixels.data(), image.argb.data(), n * 4);
            } else {
                format = GUID_WICPixelFormat24bppBGR;
                stride = (UINT(image.width) * 3 + 3) & ~3u;
                pixels.resize(size_t(stride) * image.height);
                for (int y = 0; y < image.height; ++y)
                    for (int x = 0; x < image.width; ++x) {
                        uint32_t c = image.At(x, y);
                        BYTE* p = &pixels[size_t(y) * stride + size_t(x) * 3];
                        p[0] = BYTE(c);
                        p[1] = BYTE(c >> 8);
                        p[2] = BYTE(c >> 16);
                    }
            }
            WICPixelFormatGUID asked = format;
            if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(asked, format)) goto done;
            if (FAILED(frame->WritePixels(image.height, stride, UINT(pixels.size()), pixels.data()))) goto done;
        }
        if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) goto done;
        {
            HGLOBAL block = nullptr;
            STATSTG stat = {};
            if (FAILED(memory->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(memory.p, &block))) goto done;
            const char* bytes = static_cast<const char*>(GlobalLock(block));
            if (bytes) out.assign(bytes, size_t(stat.cbSize.QuadPart));
            GlobalUnlock(block);
        }
    done:;
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return out;
}

std::string WithJpegOrientation(const std::string& jpeg, int value, bool bigEndian) {
    std::string body = std::string("Exif\0\0", 6) + ExifTiff(value, bigEndian);
    size_t length = body.size() + 2;
    std::string segment = std::string("\xFF\xE1") + char(length >> 8) + char(length & 0xFF) + body;
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

std::string WithPngOrientation(const std::string& png, int value) {
    std::string data = ExifTiff(value, true);
    std::string typeAndData = "eXIf" + data;
    std::string chunk = Be32(uint32_t(data.size())) + typeAndData + Be32(Crc32(typeAndData));
    const size_t afterHeader = 8 + 8 + 13 + 4;  // signature, IHDR
    return png.substr(0, afterHeader) + chunk + png.substr(afterHeader);
}
