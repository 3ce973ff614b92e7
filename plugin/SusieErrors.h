#pragma once
// Susie result codes and their texts.
namespace SusieResult {
constexpr int kNotImplemented = -1;
constexpr int kSuccess = 0;
constexpr int kAborted = 1;        // the progress callback asked to stop
constexpr int kUnknownFormat = 2;
constexpr int kBrokenData = 3;
constexpr int kNoMemory = 4;
constexpr int kMemoryError = 5;
constexpr int kFileReadError = 6;
constexpr int kReserved = 7;
constexpr int kInternalError = 8;
}  // namespace SusieResult

// The text of a result code (code page 932), or null for a code outside -1..8.
const char* GetErrorText(int code);
