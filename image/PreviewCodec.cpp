#include "image/PreviewCodec.h"

#include <objbase.h>
#include <wincodec.h>

#include "framework/Handles.h"

namespace {
// COM for the length of one use, on whatever thread calls: the tray's thread
// and the thread that makes previews ahead.
class ComUse {
public:
    ComUse() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComUse() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    // A thread already in another apartment can still use the codecs.
    bool ok() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** put() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }

private:
    T* m_p = nullptr;
};

bool MakeFactory(ComPtr<IWICImagingFactory>* factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory->put())));
}

constexpr float kJpegQuality = 0.9f;
}  // namespace

bool ReducePicture(HBITMAP picture, int width, int height, CDIBitmap* out) {
    BITMAP info = {};
    if (!picture || width <= 0 || height <= 0 || !GetObjectW(picture, sizeof(info), &info)) return false;
    WindowDC screen(nullptr);
    UniqueMemoryDC source(CreateCompatibleDC(screen.get())), target(CreateCompatibleDC(screen.get()));
    if (!source || !target || !out->Create(screen.get(), width, height)) return false;
    ScopedSelect selectSource(source.get(), picture);
    ScopedSelect selectTarget(target.get(), out->handle());
    SetStretchBltMode(target.get(), HALFTONE);
    SetBrushOrgEx(target.get(), 0, 0, nullptr);
    const bool drawn =
        StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY) != 0;
    GdiFlush();
    return drawn;
}

bool EncodePreview(const CDIBitmap& pixels, std::string* encoded) {
    if (pixels.empty()) return false;
    ComUse com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (!com.ok() || !MakeFactory(&factory) || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), options.put())))
        return false;
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT quality = {};
    quality.vt = VT_R4;
    quality.fltVal = kJpegQuality;
    if (options.get()) options->Write(1, &option, &quality);  // the codec's default quality otherwise
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->Initialize(options.get())) || FAILED(frame->SetSize(pixels.m_nWidth, pixels.m_nHeight)) ||
        FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        return false;
    // Top row first, as the encoder takes them.
    const UINT rowBytes = CDIBitmap::RowLength(pixels.m_nWidth);
    for (int32_t y = 0; y < pixels.m_nHeight; ++y) {
        BYTE* row = pixels.m_pTopRow + static_cast<ptrdiff_t>(y) * pixels.m_nRowStep;
        if (FAILED(frame->WritePixels(1, rowBytes, rowBytes, row))) return false;
    }
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) return false;
    HGLOBAL memory = nullptr;
    STATSTG stat = {};
    if (FAILED(GetHGlobalFromStream(stream.get(), &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return false;
    const SIZE_T size = static_cast<SIZE_T>(stat.cbSize.QuadPart);
    if (size == 0 || size > GlobalSize(memory)) return false;
    const void* bytes = GlobalLock(memory);
    if (!bytes) return false;
    encoded->assign(static_cast<const char*>(bytes), size);
    GlobalUnlock(memory);
    return true;
}

HBITMAP DecodePreview(const std::string& encoded, int width, int height) {
    if (encoded.empty() || width <= 0 || height <= 0 || encoded.size() > 0x7FFFFFFF) return nullptr;
    ComUse com;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT decodedWidth = 0, decodedHeight = 0;
    if (!com.ok() || !MakeFactory(&factory) || FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(encoded.data())),
                                            static_cast<DWORD>(encoded.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), &GUID_ContainerFormatJpeg, WICDecodeMetadataCacheOnDemand,
                                                decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&decodedWidth, &decodedHeight)) ||
        decodedWidth != static_cast<UINT>(width) || decodedHeight != static_cast<UINT>(height) ||
        FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, as the codec gives them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UINT rowBytes = CDIBitmap::RowLength(width);
    if (!bitmap || !bits || rowBytes == 0) return nullptr;
    if (FAILED(converter->CopyPixels(nullptr, rowBytes, rowBytes * static_cast<UINT>(height), static_cast<BYTE*>(bits))))
        return nullptr;
    return bitmap.release();
}
