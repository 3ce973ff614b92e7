// The Susie image plug-in interface ("00IN") of tvwic.spi / tvwic.sph.  Each export
// answers with a result code and never lets anything escape to the host.
#include <windows.h>

#include <cstring>
#include <string>

#include "FormatTable.h"
#include "PictureBytes.h"
#include "SusieApi.h"
#include "WicPicture.h"

namespace {
const char kApiVersion[] = "00IN";
#ifdef _WIN64
const char kDescription[] = "tvwic.sph 1.0 - pictures through Windows Imaging Component (Tavrin)";
#else
const char kDescription[] = "tvwic.spi 1.0 - pictures through Windows Imaging Component (Tavrin)";
#endif

// Copies text into the host's buffer, cut to fit; returns the bytes copied.
int PutText(const std::string& text, LPSTR buffer, int length) {
    if (!buffer || length <= 0) return 0;
    size_t n = text.size() < static_cast<size_t>(length - 1) ? text.size() : static_cast<size_t>(length - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

// Up to the first 2 KB of an open file, read from where it stands; the
// position is put back afterwards.
size_t ReadHead(HANDLE file, uint8_t* head) {
    LARGE_INTEGER zero = {}, at = {};
    if (!SetFilePointerEx(file, zero, &at, FILE_CURRENT)) return 0;
    DWORD got = 0;
    if (!ReadFile(file, head, static_cast<DWORD>(kSusieHeadSize), &got, nullptr)) got = 0;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    return got;
}
}  // namespace

extern "C" {

int __stdcall GetPluginInfo(int number, LPSTR buffer, int length) {
    try {
        if (number == 0) return PutText(kApiVersion, buffer, length);
        if (number == 1) return PutText(kDescription, buffer, length);
        if (number < 2) return 0;
        const FormatTable* table = ProcessFormats();
        if (!table) return 0;
        size_t entry = static_cast<size_t>(number - 2) / 2;
        if (entry >= table->formats().size()) return 0;
        const PictureFormat& format = table->formats()[entry];
        return PutText(number % 2 == 0 ? format.patterns : format.typeName, buffer, length);
    } catch (...) {
        return 0;
    }
}

// `head` is a pointer to the file's first 2 KB, or (upper word zero) the
// handle of the open file.  Only the formats' signatures decide.
int __stdcall IsSupported(LPSTR name, DWORD_PTR head) {
    (void)name;
    try {
        const FormatTable* table = ProcessFormats();
        if (!table) return 0;
        if ((head & ~static_cast<DWORD_PTR>(0xFFFF)) == 0) {
            uint8_t bytes[kSusieHeadSize];
            size_t got = ReadHead(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(head)), bytes);
            return table->Recognise(bytes, got) ? 1 : 0;
        }
        return table->Recognise(reinterpret_cast<const uint8_t*>(static_cast<ULONG_PTR>(head)), kSusieHeadSize) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int __stdcall GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned int flag,
                                                   SusiePictureInfo* info) {
    try {
        if (!info) return kSusieInternalError;
        PictureBytes bytes;
        int code = bytes.Open(buffer, length, flag);
        return code != kSusieOk ? code : ReadPictureInfo(bytes, info);
    } catch (...) {
        return kSusieNoMemory;
    }
}

int __stdcall GetPicture(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info,
                                               HLOCAL* bits, SusieProgress progress, LONG_PTR data) {
    try {
        if (!info || !bits) return kSusieInternalError;
        *info = *bits = nullptr;
        PictureBytes bytes;
        int code = bytes.Open(buffer, length, flag);
        return code != kSusieOk ? code : DecodePicture(bytes, info, bits, progress, data);
    } catch (...) {
        return kSusieNoMemory;
    }
}

}  // extern "C"
