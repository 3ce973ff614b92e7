#pragma once
// Checks of the memory blocks a Susie plug-in hands back, before anything in
// them is read: the BITMAPINFO block and pixel block of a decoded picture,
// and the run of fileInfo records of an archive listing.  Plug-ins are
// outside code; whatever they return is measured against the size of the
// block it came in.  Standard C++ only, so it also runs under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sizes of the API's records.
constexpr size_t kBitmapInfoHeaderSize = 40;
constexpr size_t kFileInfoSize = 428;           // 32-bit plug-ins
constexpr size_t kFileInfoPackedSize64 = 444;   // 64-bit, packed
constexpr size_t kFileInfoPaddedSize64 = 448;   // 64-bit, padded to 8
constexpr size_t kFileInfoTextSize = 200;

// The fileInfo record of 32-bit plug-ins (4-byte numbers, 428 bytes) or of
// 64-bit ones (8-byte position, sizes and time; 444 bytes, laid end to end
// at 444 or 448 bytes depending on the header the plug-in was built with).
// The fields lie at the same offsets whatever the 64-bit stride.
enum class FileInfoLayout { Bits32, Bits64 };

// Bytes of one record that hold fields: 428 or 444.
size_t FileInfoFieldBytes(FileInfoLayout layout);

// Largest picture side accepted from a plug-in.
constexpr int32_t kMaxPictureSide = 32768;

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

// A decoded picture that passed the checks.  `info` is a fresh BITMAPINFO
// made from what was validated (a 40-byte header, the three colour masks for
// BI_BITFIELDS, then the colour table), so nothing unchecked from the
// plug-in's header reaches the system.
struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;  // negative: rows stored top-down
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t colorCount = 0;  // colour table entries kept
    size_t stride = 0;        // bytes per pixel row, rounded to 4
    size_t pixelBytes = 0;    // stride * rows: what the pixel block must hold
    std::vector<uint8_t> info;
};

enum class DibCheck {
    Ok,
    HeaderTooSmall,     // block shorter than a BITMAPINFOHEADER, or biSize below 40
    HeaderOutsideBlock, // biSize runs past the block
    BadSize,            // width or height zero, negative width, or too large
    BadFormat,          // bit depth or compression this host does not take
    TableOutsideBlock,  // masks or colour table run past the block
    PixelsShort,        // the pixel block holds fewer rows than the header implies
};

// info/infoSize: the locked BITMAPINFO block and its LocalSize; pixelSize:
// the LocalSize of the pixel block.
DibCheck CheckDibBlocks(const void* info, size_t infoSize, size_t pixelSize, DibLayout* layout);

// One fileInfo record as read from a plug-in's block.
struct SusieFileRecord {
    uint8_t method[8] = {};
    uint64_t position = 0;
    uint64_t packedSize = 0;
    uint64_t unpackedSize = 0;
    uint64_t timestamp = 0;
    std::string directory;  // up to the first zero or 200 bytes
    std::string fileName;   // up to the first zero or 200 bytes
    uint32_t crc = 0;
};

// Reads one record of `layout`; false when fewer than its field bytes are there.
bool ParseFileInfoRecord(const void* data, size_t size, FileInfoLayout layout, SusieFileRecord* record);

enum class FileInfoRun {
    Complete,      // ended by a record whose first method byte is 0
    Unterminated,  // the block ended before such a record
};

// The distance between records in a GetArchiveInfo block of `size` bytes.
// 428 for 32-bit plug-ins.  For 64-bit ones 444 or 448, from the records
// themselves: a run is sound when every record before its end has method
// text and names that end within their fields.  When both runs are sound,
// the longer one, then the one ended by a terminating record inside the
// block, then the one that alone divides the size, then 444; when only one
// is, that one; when neither is, the one that alone divides the size, then
// the one that finds a terminator, then 444.
size_t FileInfoStride(const void* data, size_t size, FileInfoLayout layout);

// Reads the records of a GetArchiveInfo block up to the terminating one, at
// the stride FileInfoStride finds.  Only whole records inside `size` are read.
FileInfoRun ParseFileInfoRun(const void* data, size_t size, FileInfoLayout layout,
                             std::vector<SusieFileRecord>* records);
