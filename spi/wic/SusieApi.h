#pragma once
// The Susie image plug-in interface as this plug-in implements it.
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

#pragma pack(push, 1)
struct SusiePictureInfo {
    long left, top;
    long width, height;
    WORD xDensity, yDensity;  // dots per inch, 0 when unknown
    short colorDepth;
    HLOCAL hInfo;             // text information; this plug-in gives none
};
#pragma pack(pop)
static_assert(sizeof(SusiePictureInfo) == 26, "the API's picture information record is 26 bytes");

typedef int(__stdcall* SusieProgress)(int done, int total, long data);
