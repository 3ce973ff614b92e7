#pragma once
// Whole-file reads and crash-safe whole-file writes, for code page 932 paths.
#include <windows.h>

#include <functional>
#include <string>

enum class FileReadStatus { Ok, OpenFailed, ReadFailed, TooLarge, OutOfMemory };

// Largest file read whole (the list file).  A list of 100,000 entries takes
// about 6 MB; a larger file is no list the program wrote, and reading it
// (twice, with its backup) must not exhaust a 32-bit address space.
constexpr unsigned long long kMaxWholeFileBytes = 64ull * 1024 * 1024;

// Opens `path` for reading and writing, creating it empty when it does not
// exist and never shortening it, and reads all its bytes.  A file that can
// be read but not written (read-only) is still read.
FileReadStatus ReadFileCreatingIt(const std::string& path, std::string* bytes);

// Reads an existing file.
FileReadStatus ReadWholeFile(const std::string& path, std::string* bytes);

// Writes the complete `bytes` to the temporary file "<path>.tmp" (see
// TemporaryWritePath), flushes it and then puts it in place of `path`, so an
// interruption never leaves a half-written file.  On failure the old file is
// untouched, the temporary file is gone and `error` holds the system's code.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, DWORD* error);
// The same without waiting for the disk: for files that can be made again
// (the wallpaper bitmap); readers still never see a half-written file.
bool ReplaceFileContents(const std::string& path, const std::string& bytes, DWORD* error);
// The same, with the bytes produced piece by piece: `produce` calls `write`
// for each piece and returns false (as `write` does) when anything failed.
using FileChunkWriter = std::function<bool(const char* data, size_t size)>;
bool WriteFileAtomically(const std::string& path, const std::function<bool(const FileChunkWriter& write)>& produce,
                         DWORD* error, bool flush = true);

// Copies `from` to `to` a piece at a time (any size), the same crash-safe way.
bool CopyFileAtomically(const std::string& from, const std::string& to, DWORD* error);
// Whether two files hold the same bytes, compared a piece at a time.
bool FilesHaveSameBytes(const std::string& a, const std::string& b);

// The temporary file a write of `path` goes through: "<path>.tmp", so a
// leftover of an interrupted write is recognisably that file's.
std::string TemporaryWritePath(const std::string& path);
// Deletes the leftover of an interrupted write of `path`, if there is one.
void RemoveLeftoverTemporary(const std::string& path);

bool FileExists(const std::string& path);
// The size and last-write time (the system's 100-ns count) of an existing
// file; false for a folder or what cannot be read.
bool ReadFileFacts(const std::string& path, unsigned long long* size, unsigned long long* writeTime);
// The folder part of a path, with its trailing backslash ("" when none).
std::string DirectoryOf(const std::string& path);
