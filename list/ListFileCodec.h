#pragma once
// The bytes of the list file: an object archive holding a count and then the
// CWallPaperData entries.  Standard C++ only.
#include <memory>
#include <string>
#include <vector>

#include "framework/ObjectArchive.h"
#include "list/CWallPaperData.h"

using WallPaperEntries = std::vector<std::unique_ptr<CWallPaperData>>;

enum class ListDecodeResult { Ok, FormatFault, OutOfMemory };

// Decodes a whole list file.  On any fault `out` is left empty.
ListDecodeResult DecodeListFile(const void* data, size_t size, const Utf16ToCp932& toCp932,
                                WallPaperEntries* out);

// Encodes the entries in order, always with schema 2.
std::string EncodeListFile(const WallPaperEntries& entries);
// The same bytes, handed to `sink` a chunk at a time; false when it refused.
bool EncodeListFile(const WallPaperEntries& entries, const ArchiveSink& sink);
