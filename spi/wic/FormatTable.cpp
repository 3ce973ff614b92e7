#include "FormatTable.h"

#include <algorithm>

#include "ComSession.h"
#include "SusieApi.h"

namespace {
// Containers of later Windows versions that older headers do not name.
const GUID kContainerHeif = {0xe1e62521, 0x6787, 0x405b, {0xa3, 0x39, 0x50, 0x07, 0x15, 0xb5, 0x76, 0x3f}};
const GUID kContainerWebp = {0xe094b0e2, 0x67f2, 0x45b3, {0xb0, 0xea, 0x11, 0x53, 0x37, 0xca, 0x7c, 0xf3}};
const GUID kContainerRaw = {0xfe99ce60, 0xf19c, 0x433c, {0xa3, 0xae, 0x00, 0xac, 0xef, 0xa9, 0xca, 0x21}};

struct KnownContainer {
    const GUID* guid;
    const char* name;
    const wchar_t* extensions;  // listed besides those the decoder reports
};
// Also the order of the list: the common formats first.
const KnownContainer kKnown[] = {
    {&GUID_ContainerFormatJpeg, "JPEG", L".jpg,.jpeg,.jpe,.jfif"},
    {&GUID_ContainerFormatPng, "PNG", L".png"},
    {&GUID_ContainerFormatGif, "GIF", L".gif"},
    {&GUID_ContainerFormatBmp, "BMP", L".bmp,.dib"},
    {&GUID_ContainerFormatTiff, "TIFF", L".tif,.tiff"},
    {&GUID_ContainerFormatIco, "ICO", L".ico"},
    {&GUID_ContainerFormatWmp, "JPEG XR", L".jxr,.wdp,.hdp"},
    {&kContainerHeif, "HEIF", L".heic,.heif"},
    {&kContainerWebp, "WebP", L".webp"},
    {&GUID_ContainerFormatDds, "DDS", L".dds"},
    {&kContainerRaw, "Camera raw", L""},
};
constexpr size_t kKnownCount = sizeof(kKnown) / sizeof(kKnown[0]);

size_t Rank(const GUID& container) {
    for (size_t i = 0; i < kKnownCount; ++i)
        if (IsEqualGUID(*kKnown[i].guid, container)) return i;
    return kKnownCount;
}

std::string Ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        if (c >= 0x20 && c < 0x7F) out.push_back(static_cast<char>(c));
    return out;
}

std::wstring FriendlyName(IWICBitmapDecoderInfo* info) {
    UINT length = 0;
    if (FAILED(info->GetFriendlyName(0, nullptr, &length)) || length == 0 || length > 4096) return std::wstring();
    std::wstring text(length, L'\0');
    if (FAILED(info->GetFriendlyName(length, &text[0], &length))) return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::wstring Extensions(IWICBitmapDecoderInfo* info) {
    UINT length = 0;
    if (FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0 || length > 4096) return std::wstring();
    std::wstring text(length, L'\0');
    if (FAILED(info->GetFileExtensions(length, &text[0], &length))) return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// The decoder's signatures that lie inside the head buffer.
std::vector<Signature> HeadSignatures(IWICBitmapDecoderInfo* info) {
    std::vector<Signature> out;
    UINT count = 0, bytes = 0;
    if (FAILED(info->GetPatterns(0, nullptr, &count, &bytes)) || count == 0 || bytes == 0 || bytes > 65536) return out;
    std::vector<uint64_t> storage((bytes + 7) / 8);  // aligned for the records at its start
    auto* patterns = reinterpret_cast<WICBitmapPattern*>(storage.data());
    if (FAILED(info->GetPatterns(bytes, patterns, &count, &bytes))) return out;
    for (UINT i = 0; i < count && (i + 1) * sizeof(WICBitmapPattern) <= bytes; ++i) {
        const WICBitmapPattern& p = patterns[i];
        if (p.EndOfStream || p.Length == 0 || p.Position.QuadPart >= kSusieHeadSize ||
            p.Length > kSusieHeadSize - p.Position.QuadPart)
            continue;
        // The bytes may lie in the buffer or in the component's own memory.
        if (!p.Pattern || !p.Mask) continue;
        Signature s;
        s.position = static_cast<size_t>(p.Position.QuadPart);
        s.pattern.assign(p.Pattern, p.Pattern + p.Length);
        s.mask.assign(p.Mask, p.Mask + p.Length);
        out.push_back(std::move(s));
    }
    return out;
}

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
FormatTable* g_table = nullptr;

BOOL CALLBACK LoadProcessTable(PINIT_ONCE, PVOID, PVOID*) {
    ComSession com;
    if (!com.factory()) return FALSE;  // tried again on the next call
    try {
        auto* table = new FormatTable();
        table->Load(com.factory());
        g_table = table;
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::string ContainerTypeName(const GUID& container, const std::wstring& friendlyName) {
    size_t rank = Rank(container);
    if (rank < kKnownCount) return kKnown[rank].name;
    std::string name = Ascii(friendlyName);
    const std::string suffix = " Decoder";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    return name.empty() ? "Picture" : name;
}

std::string PatternsFromExtensions(const std::wstring& extensions) {
    std::vector<std::string> names;
    std::string one;
    auto flush = [&] {
        if (!one.empty() && std::find(names.begin(), names.end(), one) == names.end()) names.push_back(one);
        one.clear();
    };
    for (wchar_t c : extensions) {
        if (c == L',' || c == L';' || c == L' ') flush();
        else if (c == L'.' && one.empty()) continue;  // the leading dot
        else if (c > 0x20 && c < 0x7F && c != L'*' && c != L'?' && c != L'|')
            one.push_back(static_cast<char>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c));
    }
    flush();
    std::string out;
    for (const std::string& name : names) {
        if (out.size() + name.size() + 3 > 255) break;  // the host reads every text into 256 bytes
        if (!out.empty()) out += ';';
        out += "*." + name;
    }
    return out;
}

void FormatTable::Load(IWICImagingFactory* factory) {
    m_formats.clear();
    ComPtr<IEnumUnknown> list;
    if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, list.Out()))) return;
    for (int guard = 0; guard < 256; ++guard) {
        ComPtr<IUnknown> item;
        ULONG fetched = 0;
        if (list->Next(1, item.Out(), &fetched) != S_OK || fetched != 1) break;
        ComPtr<IWICBitmapDecoderInfo> info;
        if (FAILED(item->QueryInterface(IID_IWICBitmapDecoderInfo, reinterpret_cast<void**>(info.Out())))) continue;
        PictureFormat format;
        if (FAILED(info->GetContainerFormat(&format.container))) continue;
        bool seen = std::any_of(m_formats.begin(), m_formats.end(),
                                [&](const PictureFormat& f) { return IsEqualGUID(f.container, format.container); });
        if (seen) continue;
        size_t rank = Rank(format.container);
        format.patterns = PatternsFromExtensions(Extensions(info.get()) + L"," +
                                                 (rank < kKnownCount ? kKnown[rank].extensions : L""));
        format.signatures = HeadSignatures(info.get());
        if (format.patterns.empty() || format.signatures.empty()) continue;
        format.typeName = ContainerTypeName(format.container, FriendlyName(info.get()));
        m_formats.push_back(std::move(format));
    }
    std::stable_sort(m_formats.begin(), m_formats.end(), [](const PictureFormat& a, const PictureFormat& b) {
        return Rank(a.container) < Rank(b.container);
    });
}

const PictureFormat* FormatTable::Recognise(const uint8_t* head, size_t size) const {
    for (const PictureFormat& format : m_formats)
        for (const Signature& s : format.signatures)
            if (SignatureMatches(s, head, size)) return &format;
    return nullptr;
}

const FormatTable* ProcessFormats() {
    if (!InitOnceExecuteOnce(&g_once, LoadProcessTable, nullptr, nullptr)) return nullptr;
    return g_table;
}
