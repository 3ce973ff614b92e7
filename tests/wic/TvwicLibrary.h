#pragma once
// The real tvwic.spi (tvwic.sph in the 64-bit edition) loaded into the test process, its four exports, and
// what one decode handed back, read out of the blocks after checking them.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

typedef int(__stdcall* SpiProgress)(int, int, LONG_PTR);

#pragma pack(push, 1)
struct SpiPictureInfo {
    long left, top, width, height;
    WORD xDensity, yDensity;
    short colorDepth;
    HLOCAL hInfo;
};
#pragma pack(pop)

struct Tvwic {
    HMODULE module = nullptr;
    int(__stdcall* GetPluginInfo)(int, LPSTR, int) = nullptr;
    int(__stdcall* IsSupported)(LPSTR, DWORD_PTR) = nullptr;
    int(__stdcall* GetPictureInfo)(LPSTR, LONG_PTR, unsigned, SpiPictureInfo*) = nullptr;
    int(__stdcall* GetPicture)(LPSTR, LONG_PTR, unsigned, HLOCAL*, HLOCAL*, SpiProgress, LONG_PTR) = nullptr;
    bool loaded() const { return GetPluginInfo && IsSupported && GetPictureInfo && GetPicture; }
};

// The built plug-in (bin/plugins/tvwic.spi, or bin64/plugins/tvwic.sph).
std::string BuiltPluginPath();
// Loaded once for the whole test program.
const Tvwic& Plugin();

// Information number `n` as text ("" when the plug-in returns 0).
std::string PluginInfo(int number);

struct Decoded {
    int code = -99;
    bool blocksValid = false;  // header and rows inside their blocks, 24-bit BI_RGB
    int width = 0, height = 0, bitCount = 0;
    size_t infoSize = 0, bitsSize = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB, top-down
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
// Calls GetPicture and reads (then frees) the blocks it returns.
Decoded DecodeFromMemory(const std::string& bytes, SpiProgress progress = nullptr, LONG_PTR data = 0);
Decoded DecodeFromFile(const std::string& path, long offset = 0, SpiProgress progress = nullptr, LONG_PTR data = 0);

// Largest difference of one channel between two 0xRRGGBB colours.
int ChannelDistance(uint32_t a, uint32_t b);
