#pragma once
// The Susie image plug-in interface as this plug-in implements it, built
// as tvwic.spi (32-bit) or tvwic.sph (64-bit): buffer lengths, the
// IsSupported argument and the progress data are pointer-sized, which on
// 32-bit are the API's original long and DWORD.
#include <windows.h>

// Result codes.
enum SusieResult : int {
    kSusieOk = 0,
    kSusieAborted = 1,        // the progress callback asked to stop
    kSusieUnknownFormat = 2,
    kSusieBrokenData = 3,
    kSusieNoMemory = 4,
    kSusieMemoryError = 5,
    kSusieReadError = 6,
    kSusieInternalError = 8,
};

// The low three bits of a call's flag say where the picture is.
constexpr unsigned kSusieSourceMask = 7;
constexpr unsigned kSusieFromFile = 0;
constexpr unsigned kSusieFromMemory = 1;

// The size of the head buffer IsSupported receives.
constexpr size_t kSusieHeadSize = 2048;

// 64-bit hosts disagree on this record: some pad 2 bytes before hInfo (32
// bytes), others keep it packed (30).  This plug-in writes the packed form,
// which never runs past either host's record; hInfo is null either way
// (a padded host sees zeros up to the end of what it is given).
#pragma pack(push, 1)
struct SusiePictureInfo {
    long left, top;
    long width, height;
    WORD xDensity, yDensity;  // dots per inch, 0 when unknown
    short colorDepth;
    HLOCAL hInfo;             // text information; this plug-in gives none
};
#pragma pack(pop)
static_assert(sizeof(SusiePictureInfo) == 22 + sizeof(HLOCAL), "the API's picture information record, packed");

typedef int(__stdcall* SusieProgress)(int done, int total, LONG_PTR data);
