#pragma once
// The records and export signatures of the Susie plug-in API, as 32-bit
// Windows plug-ins export them (undecorated __stdcall).  Text arguments are
// in the system's ANSI code page: plug-ins are ANSI programs.
#include <windows.h>

#include <cstdint>

#include "plugin/SusieBlocks.h"

#pragma pack(push, 1)
// Picture information record (26 bytes).
struct PictureInfo {
    long left;
    long top;
    long width;
    long height;
    WORD x_density;
    WORD y_density;
    short colorDepth;
    HLOCAL hInfo;
};

// Archive member record (428 bytes).
struct fileInfo {
    unsigned char method[8];
    unsigned long position;
    unsigned long compsize;
    unsigned long filesize;
    uint32_t timestamp;
    char path[kFileInfoTextSize];
    char filename[kFileInfoTextSize];
    unsigned long crc;
};
#pragma pack(pop)

static_assert(sizeof(PictureInfo) == 26, "PictureInfo is 26 bytes");
static_assert(sizeof(fileInfo) == kFileInfoSize, "fileInfo is 428 bytes");

// Progress callback handed to GetPicture and GetFile: a non-zero result asks
// the plug-in to stop.
typedef int(__stdcall* SPIProgressCallback)(int numerator, int denominator, long userValue);

typedef int(__stdcall* SPI_GetPluginInfo)(int infoNumber, LPSTR buffer, int bufferLength);
// `head` is either a file handle (upper 16 bits 0) or the address of a 2 KB head buffer.
typedef int(__stdcall* SPI_IsSupported)(LPSTR fileName, DWORD head);
typedef int(__stdcall* SPI_GetPictureInfo)(LPSTR buffer, long length, unsigned int flag, PictureInfo* info);
typedef int(__stdcall* SPI_GetPicture)(LPSTR buffer, long length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                                       SPIProgressCallback progress, long userValue);
typedef int(__stdcall* SPI_GetPreview)(LPSTR buffer, long length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                                       SPIProgressCallback progress, long userValue);
typedef int(__stdcall* SPI_GetArchiveInfo)(LPSTR buffer, long length, unsigned int flag, HLOCAL* list);
typedef int(__stdcall* SPI_GetFileInfo)(LPSTR buffer, long length, LPSTR fileName, unsigned int flag,
                                        fileInfo* info);
typedef int(__stdcall* SPI_GetFile)(LPSTR source, long length, LPSTR destination, unsigned int flag,
                                    SPIProgressCallback progress, long userValue);
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
