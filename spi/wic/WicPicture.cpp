#include "WicPicture.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "ComSession.h"
#include "DeclaredSize.h"
#include "FormatTable.h"
#include "ExifOrientation.h"
#include "PixelRows.h"

namespace {
// Rows between two calls of the progress callback.
constexpr uint32_t kProgressRows = 64;

int CodeFor(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) return kSusieNoMemory;
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND || hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT) return kSusieUnknownFormat;
    return kSusieBrokenData;
}

// Pixel formats that carry an alpha channel.
const GUID* const kAlphaFormats[] = {
    &GUID_WICPixelFormat32bppBGRA,    &GUID_WICPixelFormat32bppRGBA,      &GUID_WICPixelFormat32bppPBGRA,
    &GUID_WICPixelFormat32bppPRGBA,   &GUID_WICPixelFormat64bppRGBA,      &GUID_WICPixelFormat64bppBGRA,
    &GUID_WICPixelFormat64bppPRGBA,   &GUID_WICPixelFormat64bppPBGRA,     &GUID_WICPixelFormat16bppBGRA5551,
    &GUID_WICPixelFormat8bppAlpha,    &GUID_WICPixelFormat128bppRGBAFloat, &GUID_WICPixelFormat128bppPRGBAFloat,
    &GUID_WICPixelFormat64bppRGBAHalf, &GUID_WICPixelFormat64bppPRGBAHalf, &GUID_WICPixelFormat40bppCMYKAlpha,
    &GUID_WICPixelFormat80bppCMYKAlpha, &GUID_WICPixelFormat64bppRGBAFixedPoint, &GUID_WICPixelFormat64bppBGRAFixedPoint,
    &GUID_WICPixelFormat128bppRGBAFixedPoint, &GUID_WICPixelFormat32bppRGBA1010102,
};
int IndexedBits(const GUID& format) {
    if (IsEqualGUID(format, GUID_WICPixelFormat1bppIndexed)) return 1;
    if (IsEqualGUID(format, GUID_WICPixelFormat2bppIndexed)) return 2;
    if (IsEqualGUID(format, GUID_WICPixelFormat4bppIndexed)) return 4;
    if (IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) return 8;
    return 0;
}

template <size_t N>
bool OneOf(const GUID& format, const GUID* const (&list)[N]) {
    for (const GUID* g : list)
        if (IsEqualGUID(*g, format)) return true;
    return false;
}

// One picture opened: the decoder and its first frame.
struct OpenPicture {
    ComSession com;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    uint32_t width = 0, height = 0;
    int orientation = 1;

    int Open(const PictureBytes& bytes) {
        IWICImagingFactory* factory = com.factory();
        if (!factory) return com.error() == E_OUTOFMEMORY ? kSusieNoMemory : kSusieInternalError;
        if (!bytes.data() || bytes.size() == 0) return kSusieUnknownFormat;
        if (bytes.size() > 0xFFFFFFFFu) return kSusieNoMemory;
        uint32_t declaredW = 0, declaredH = 0;
        size_t unused;
        if (DeclaredSize(bytes.data(), bytes.size(), &declaredW, &declaredH) && declaredW && declaredH &&
            !DibBytes(declaredW, declaredH, &unused))
            return kSusieNoMemory;
        HRESULT hr = factory->CreateStream(stream.Out());
        if (SUCCEEDED(hr))
            hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
        if (FAILED(hr)) return hr == E_OUTOFMEMORY ? kSusieNoMemory : kSusieInternalError;
        hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out());
        if (FAILED(hr)) {
            // No decoder took it.  When it carries a format's signature the
            // data is damaged rather than unknown.
            const FormatTable* formats = ProcessFormats();
            bool recognised = formats && formats->Recognise(bytes.data(), bytes.size());
            return recognised && hr != E_OUTOFMEMORY ? kSusieBrokenData : CodeFor(hr);
        }
        hr = decoder->GetFrame(0, frame.Out());
        if (FAILED(hr)) return CodeFor(hr);
        UINT w = 0, h = 0;
        hr = frame->GetSize(&w, &h);
        if (FAILED(hr)) return CodeFor(hr);
        if (w == 0 || h == 0) return kSusieBrokenData;
        width = w;
        height = h;
        orientation = FindOrientation(bytes.data(), bytes.size());
        return kSusieOk;
    }
};

// A movable local memory block, freed unless handed over.
struct LocalBlock {
    HLOCAL h = nullptr;
    explicit LocalBlock(size_t size, UINT flags = LMEM_MOVEABLE) : h(LocalAlloc(flags, size)) {}
    ~LocalBlock() {
        if (h) LocalFree(h);
    }
    HLOCAL Release() {
        HLOCAL out = h;
        h = nullptr;
        return out;
    }
};

struct HeapBuffer {
    uint8_t* p;
    explicit HeapBuffer(size_t size) : p(static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, size ? size : 1))) {}
    ~HeapBuffer() {
        if (p) HeapFree(GetProcessHeap(), 0, p);
    }
};

class Progress {
public:
    Progress(SusieProgress callback, LONG_PTR data, uint32_t total)
        : m_callback(callback), m_data(data), m_total(total) {}
    // False when the host asked to stop.
    bool At(uint32_t done) {
        return !m_callback || m_callback(static_cast<int>(done), static_cast<int>(m_total), m_data) == 0;
    }
private:
    SusieProgress m_callback;
    LONG_PTR m_data;
    uint32_t m_total;
};

WORD Dpi(double value) { return value > 0 && value < 65535 ? static_cast<WORD>(std::lround(value)) : 0; }
LONG PelsPerMeter(double dpi) { return dpi > 0 && dpi < 1e6 ? static_cast<LONG>(std::lround(dpi / 0.0254)) : 0; }
}  // namespace

int ReadPictureInfo(const PictureBytes& bytes, SusiePictureInfo* info) {
    if (!info) return kSusieInternalError;
    OpenPicture picture;
    int code = picture.Open(bytes);
    if (code != kSusieOk) return code;
    uint32_t w, h;
    OrientedSize(picture.orientation, picture.width, picture.height, &w, &h);
    double dpiX = 0, dpiY = 0;
    if (FAILED(picture.frame->GetResolution(&dpiX, &dpiY))) dpiX = dpiY = 0;
    if (picture.orientation >= 5) std::swap(dpiX, dpiY);
    std::memset(info, 0, sizeof(*info));
    info->width = static_cast<long>(w);
    info->height = static_cast<long>(h);
    info->xDensity = Dpi(dpiX);
    info->yDensity = Dpi(dpiY);
    info->colorDepth = 24;
    return kSusieOk;
}

int DecodePicture(const PictureBytes& bytes, HLOCAL* infoOut, HLOCAL* bitsOut, SusieProgress callback,
                  LONG_PTR data) {
    if (!infoOut || !bitsOut) return kSusieInternalError;
    *infoOut = *bitsOut = nullptr;
    OpenPicture picture;
    int code = picture.Open(bytes);
    if (code != kSusieOk) return code;
    const uint32_t w = picture.width, h = picture.height;
    uint32_t shownW, shownH;
    OrientedSize(picture.orientation, w, h, &shownW, &shownH);
    size_t pixelBytes = 0;
    if (!DibBytes(shownW, shownH, &pixelBytes)) return kSusieNoMemory;

    WICPixelFormatGUID format;
    HRESULT hr = picture.frame->GetPixelFormat(&format);
    if (FAILED(hr)) return CodeFor(hr);
    // Palette pictures are expanded here: not every imaging component
    // converts them.  Everything else goes through the format converter.
    const int indexedBits = IndexedBits(format);
    uint32_t palette[256];
    bool transparent = false;
    ComPtr<IWICFormatConverter> converter;
    IWICBitmapSource* source = picture.frame.get();
    if (indexedBits) {
        ComPtr<IWICPalette> colours;
        UINT count = 0;
        hr = picture.com.factory()->CreatePalette(colours.Out());
        if (SUCCEEDED(hr)) hr = picture.frame->CopyPalette(colours.get());
        if (FAILED(hr)) hr = picture.decoder->CopyPalette(colours.get());  // a global palette
        if (SUCCEEDED(hr)) hr = colours->GetColors(256, palette, &count);
        if (FAILED(hr)) return CodeFor(hr);
        for (UINT i = count; i < 256; ++i) palette[i] = 0xFF000000u;
        BOOL alpha = FALSE;
        transparent = SUCCEEDED(colours->HasAlpha(&alpha)) && alpha;
    } else {
        transparent = OneOf(format, kAlphaFormats);
        const GUID& wanted = transparent ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
        if (!IsEqualGUID(format, wanted)) {
            hr = picture.com.factory()->CreateFormatConverter(converter.Out());
            if (SUCCEEDED(hr))
                hr = converter->Initialize(picture.frame.get(), wanted, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom);
            if (FAILED(hr)) return hr == E_OUTOFMEMORY ? kSusieNoMemory : kSusieUnknownFormat;
            source = converter.get();
        }
    }

    LocalBlock info(sizeof(BITMAPINFOHEADER), LMEM_MOVEABLE | LMEM_ZEROINIT);
    LocalBlock bits(pixelBytes);
    if (!info.h || !bits.h) return kSusieNoMemory;
    // Rows of the stored picture go straight into the pixel block when it is
    // upright; otherwise into a top-down copy that is then turned.
    const bool upright = picture.orientation == 1;
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    HeapBuffer turned(upright ? 0 : DibStride(w) * static_cast<size_t>(h));
    // One stored row before it becomes 24-bit: palette indices or BGRA.
    const size_t packedBytes = indexedBits ? (static_cast<size_t>(w) * indexedBits + 7) / 8
                                           : transparent ? static_cast<size_t>(w) * 4 : 0;
    HeapBuffer packedRow(packedBytes);
    if (!turned.p || !packedRow.p) return kSusieNoMemory;

    auto* dib = static_cast<uint8_t*>(LocalLock(bits.h));
    auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(info.h));
    if (!dib || !header) {
        if (dib) LocalUnlock(bits.h);
        if (header) LocalUnlock(info.h);
        return kSusieMemoryError;
    }
    Progress progress(callback, data, h);
    const size_t dibStride = DibStride(shownW);
    code = progress.At(0) ? kSusieOk : kSusieAborted;
    for (uint32_t y = 0; y < h && code == kSusieOk; ++y) {
        uint8_t* row = upright ? dib + static_cast<size_t>(h - 1 - y) * dibStride : turned.p + y * DibStride(w);
        WICRect rect = {0, static_cast<INT>(y), static_cast<INT>(w), 1};
        if (indexedBits) {
            hr = source->CopyPixels(&rect, static_cast<UINT>(packedBytes), static_cast<UINT>(packedBytes), packedRow.p);
            if (SUCCEEDED(hr)) ExpandIndexedRow(packedRow.p, w, indexedBits, palette, transparent, row);
        } else if (transparent) {
            hr = source->CopyPixels(&rect, w * 4, w * 4, packedRow.p);
            if (SUCCEEDED(hr)) CompositeOnBlack(packedRow.p, w, row);
        } else {
            hr = source->CopyPixels(&rect, static_cast<UINT>(rowBytes), static_cast<UINT>(rowBytes), row);
        }
        if (FAILED(hr)) code = CodeFor(hr);
        else if (upright) std::memset(row + rowBytes, 0, dibStride - rowBytes);
        if (code == kSusieOk && (y + 1) % kProgressRows == 0 && !progress.At(y + 1)) code = kSusieAborted;
    }
    if (code == kSusieOk && !upright) {
        WriteOriented(turned.p, DibStride(w), w, h, picture.orientation, dib, dibStride);
        for (uint32_t y = 0; y < shownH; ++y)
            std::memset(dib + y * dibStride + static_cast<size_t>(shownW) * 3, 0, dibStride - size_t(shownW) * 3);
    }
    if (code == kSusieOk && !progress.At(h)) code = kSusieAborted;
    if (code == kSusieOk) {
        double dpiX = 0, dpiY = 0;
        if (FAILED(picture.frame->GetResolution(&dpiX, &dpiY))) dpiX = dpiY = 0;
        if (picture.orientation >= 5) std::swap(dpiX, dpiY);
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = static_cast<LONG>(shownW);
        header->biHeight = static_cast<LONG>(shownH);  // positive: bottom-up rows
        header->biPlanes = 1;
        header->biBitCount = 24;
        header->biCompression = BI_RGB;
        header->biSizeImage = static_cast<DWORD>(pixelBytes);
        header->biXPelsPerMeter = PelsPerMeter(dpiX);
        header->biYPelsPerMeter = PelsPerMeter(dpiY);
    }
    LocalUnlock(info.h);
    LocalUnlock(bits.h);
    if (code != kSusieOk) return code;
    *infoOut = info.Release();
    *bitsOut = bits.Release();
    return kSusieOk;
}
