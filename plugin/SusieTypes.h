#pragma once
// The records and export signatures of the Susie plug-in API, as Windows
// plug-ins export them (undecorated __stdcall).  The 32-bit edition loads
// 32-bit plug-ins (".spi"), the 64-bit edition 64-bit ones (".sph"): the
// same exports, with pointer-sized buffer lengths, IsSupported argument and
// progress data.  LONG_PTR and DWORD_PTR are long and DWORD on 32-bit, so
// the 32-bit signatures are the API's original ones.  Text arguments are in
// the system's ANSI code page: plug-ins are ANSI programs.
#include <windows.h>

#include <cstdint>

#include "plugin/SusieBlocks.h"

// The file name extension of the plug-ins this edition loads, with its dot.
#ifdef _WIN64
constexpr const char kPluginExtension[] = ".sph";
constexpr const char kOtherPluginExtension[] = ".spi";
constexpr FileInfoLayout kHostFileInfoLayout = FileInfoLayout::Bits64;
#else
constexpr const char kPluginExtension[] = ".spi";
constexpr const char kOtherPluginExtension[] = ".sph";
constexpr FileInfoLayout kHostFileInfoLayout = FileInfoLayout::Bits32;
#endif

#pragma pack(push, 1)
// Picture information record.  32-bit plug-ins write 26 bytes.  64-bit
// plug-ins disagree: some put 2 alignment bytes before hInfo (32 bytes),
// others keep the record packed (30 bytes).  The fields before hInfo lie at
// the same offsets in all three, and they are all the host reads; the rest
// is room for whichever hInfo the plug-in writes.  The host never uses
// hInfo: it cannot tell where a 64-bit plug-in put it, so it neither reads
// nor frees it.
struct PictureInfo {
    long left;
    long top;
    long width;
    long height;
    WORD x_density;
    WORD y_density;
    short colorDepth;
    unsigned char hInfoRoom[sizeof(void*) == 8 ? 10 : 4];
};

// Archive member record as this edition's plug-ins write it: 428 bytes on
// 32-bit; on 64-bit the numbers are pointer-sized, 444 bytes packed, 448 in
// headers that pad it, so the record handed to GetFileInfo has room for 448.
struct fileInfo {
    unsigned char method[8];
    ULONG_PTR position;
    ULONG_PTR compsize;
    ULONG_PTR filesize;
    ULONG_PTR timestamp;
    char path[kFileInfoTextSize];
    char filename[kFileInfoTextSize];
    uint32_t crc;
#ifdef _WIN64
    unsigned char padding[4];
#endif
};
#pragma pack(pop)

#ifdef _WIN64
static_assert(sizeof(PictureInfo) == 32, "room for the padded 64-bit PictureInfo");
static_assert(sizeof(fileInfo) == kFileInfoPaddedSize64, "room for the padded 64-bit fileInfo");
#else
static_assert(sizeof(PictureInfo) == 26, "PictureInfo is 26 bytes");
static_assert(sizeof(fileInfo) == kFileInfoSize, "fileInfo is 428 bytes");
#endif
static_assert(offsetof(PictureInfo, hInfoRoom) == 22, "the fields before hInfo take 22 bytes");

// Progress callback handed to GetPicture and GetFile: a non-zero result asks
// the plug-in to stop.
typedef int(__stdcall* SPIProgressCallback)(int numerator, int denominator, LONG_PTR userValue);

typedef int(__stdcall* SPI_GetPluginInfo)(int infoNumber, LPSTR buffer, int bufferLength);
// `head` is either a file handle (upper 16 bits 0) or the address of a 2 KB head buffer.
typedef int(__stdcall* SPI_IsSupported)(LPSTR fileName, DWORD_PTR head);
typedef int(__stdcall* SPI_GetPictureInfo)(LPSTR buffer, LONG_PTR length, unsigned int flag, PictureInfo* info);
typedef int(__stdcall* SPI_GetPicture)(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                                       SPIProgressCallback progress, LONG_PTR userValue);
typedef int(__stdcall* SPI_GetPreview)(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                                       SPIProgressCallback progress, LONG_PTR userValue);
typedef int(__stdcall* SPI_GetArchiveInfo)(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* list);
typedef int(__stdcall* SPI_GetFileInfo)(LPSTR buffer, LONG_PTR length, LPSTR fileName, unsigned int flag,
                                        fileInfo* info);
typedef int(__stdcall* SPI_GetFile)(LPSTR source, LONG_PTR length, LPSTR destination, unsigned int flag,
                                    SPIProgressCallback progress, LONG_PTR userValue);
typedef int(__stdcall* SPI_ConfigurationDlg)(HWND parent, int function);

// Flags of the calls.
constexpr unsigned int kSpiInputFile = 0x00;
constexpr unsigned int kSpiInputMemory = 0x01;
constexpr unsigned int kSpiRetryFlag = 0x80;      // second attempt of the file form
constexpr unsigned int kSpiOutputMemory = 0x100;  // GetFile writes into a new memory block

// Plug-in types (typeFlags).
constexpr uint8_t kSpiImage = 0x01;
constexpr uint8_t kSpiArchive = 0x02;
constexpr uint8_t kSpiMultiple = 0x80;
