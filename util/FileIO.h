#pragma once
// Whole-file reads and crash-safe whole-file writes, for code page 932 paths.
#include <windows.h>

#include <functional>
#include <string>

enum class FileReadStatus { Ok, OpenFailed, ReadFailed, TooLarge };

// Largest file read whole (the list file, backups).
constexpr unsigned long long kMaxWholeFileBytes = 512ull * 1024 * 1024;

// Opens `path` for reading and writing, creating it empty when it does not
// exist and never shortening it, and reads all its bytes.  A file that can
// be read but not written (read-only) is still read.
FileReadStatus ReadFileCreatingIt(const std::string& path, std::string* bytes);

// Reads an existing file.
FileReadStatus ReadWholeFile(const std::string& path, std::string* bytes);

// Writes the complete `bytes` to a temporary file in the same folder, flushes
// it and then puts it in place of `path`, so an interruption never leaves a
// half-written file.  On failure the old file is untouched and `error` holds
// the system's code.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, DWORD* error);
// The same without waiting for the disk: for files that can be made again
// (the wallpaper bitmap); readers still never see a half-written file.
bool ReplaceFileContents(const std::string& path, const std::string& bytes, DWORD* error);
// The same, with the bytes produced piece by piece: `produce` calls `write`
// for each piece and returns false (as `write` does) when anything failed.
using FileChunkWriter = std::function<bool(const char* data, size_t size)>;
bool WriteFileAtomically(const std::string& path, const std::function<bool(const FileChunkWriter& write)>& produce,
                         DWORD* error, bool flush = true);

bool FileExists(const std::string& path);
// The folder part of a path, with its trailing backslash ("" when none).
std::string DirectoryOf(const std::string& path);
