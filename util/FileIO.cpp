#include "util/FileIO.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "util/PathPieces.h"

namespace {

constexpr DWORD kCopyChunk = 256 * 1024;

FileReadStatus ReadAll(HANDLE file, std::string* bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return FileReadStatus::ReadFailed;
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxWholeFileBytes) return FileReadStatus::TooLarge;
    try {
        bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    } catch (const std::bad_alloc&) {
        return FileReadStatus::OutOfMemory;
    }
    size_t done = 0;
    while (done < bytes->size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes->size() - done, 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file, &(*bytes)[done], chunk, &got, nullptr)) return FileReadStatus::ReadFailed;
        if (got == 0) break;  // the file shrank meanwhile
        done += got;
    }
    bytes->resize(done);
    return FileReadStatus::Ok;
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
        DWORD put = 0;
        if (!WriteFile(file, data + done, chunk, &put, nullptr) || put == 0) return false;
        done += put;
    }
    return true;
}

}  // namespace

FileReadStatus ReadFileCreatingIt(const std::string& path, std::string* bytes) {
    bytes->clear();
    std::wstring wpath = ToWide(path);
    UniqueFile file(CreateFileW(wpath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        // A read-only file (or folder) still gives its entries.
        file.reset(CreateFileW(wpath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return FileReadStatus::OpenFailed;
    }
    return ReadAll(file.get(), bytes);
}

FileReadStatus ReadWholeFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FileReadStatus::OpenFailed;
    return ReadAll(file.get(), bytes);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, DWORD* error) {
    return WriteFileAtomically(path, [&](const FileChunkWriter& write) { return write(bytes.data(), bytes.size()); },
                               error);
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes, DWORD* error) {
    return WriteFileAtomically(path, [&](const FileChunkWriter& write) { return write(bytes.data(), bytes.size()); },
                               error, false);
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(const FileChunkWriter& write)>& produce,
                         DWORD* error, bool flush) {
    *error = ERROR_SUCCESS;
    std::wstring target = ToWide(path);
    // A read-only file is the user's wish not to have it changed (Windows
    // refuses to replace one; do the same everywhere).
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    // One fixed name beside the file: a write cut short by a kill leaves at
    // most this one file, which the next write (or load) replaces.
    std::wstring temp = ToWide(TemporaryWritePath(path));
    bool written = false;
    {
        UniqueFile file(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            FileChunkWriter write = [&](const char* data, size_t size) { return WriteAll(file.get(), data, size); };
            try {
                written = produce(write) && (!flush || FlushFileBuffers(file.get()));
            } catch (const std::bad_alloc&) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                written = false;
            }
        }
        if (!written) *error = GetLastError();
        if (!file) {
            if (*error == ERROR_SUCCESS) *error = ERROR_WRITE_FAULT;
            return false;  // not made, so nothing to remove (it may be another writer's)
        }
    }
    if (written &&
        MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0)))
        return true;
    if (written) *error = GetLastError();
    if (*error == ERROR_SUCCESS) *error = ERROR_WRITE_FAULT;
    DeleteFileW(temp.c_str());
    return false;
}

bool CopyFileAtomically(const std::string& from, const std::string& to, DWORD* error) {
    UniqueFile source(CreateFileW(ToWide(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source) {
        *error = GetLastError();
        return false;
    }
    auto produce = [&](const FileChunkWriter& write) {
        std::unique_ptr<char[]> buffer(new char[kCopyChunk]);
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(source.get(), buffer.get(), kCopyChunk, &got, nullptr)) return false;
            if (got == 0) return true;
            if (!write(buffer.get(), got)) return false;
        }
    };
    return WriteFileAtomically(to, produce, error);
}

bool FilesHaveSameBytes(const std::string& a, const std::string& b) {
    auto open = [](const std::string& path) {
        return CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    UniqueFile first(open(a)), second(open(b));
    if (!first || !second) return false;
    LARGE_INTEGER sizeA, sizeB;
    if (!GetFileSizeEx(first.get(), &sizeA) || !GetFileSizeEx(second.get(), &sizeB)) return false;
    if (sizeA.QuadPart != sizeB.QuadPart) return false;
    try {
        std::unique_ptr<char[]> bufferA(new char[kCopyChunk]), bufferB(new char[kCopyChunk]);
        for (;;) {
            DWORD gotA = 0, gotB = 0;
            if (!ReadFile(first.get(), bufferA.get(), kCopyChunk, &gotA, nullptr) ||
                !ReadFile(second.get(), bufferB.get(), kCopyChunk, &gotB, nullptr) || gotA != gotB)
                return false;
            if (gotA == 0) return true;
            if (std::memcmp(bufferA.get(), bufferB.get(), gotA) != 0) return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::string TemporaryWritePath(const std::string& path) { return path + ".tmp"; }

void RemoveLeftoverTemporary(const std::string& path) {
    if (!path.empty()) DeleteFileW(ToWide(TemporaryWritePath(path)).c_str());
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadFileFacts(const std::string& path, unsigned long long* size, unsigned long long* writeTime) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    *size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    *writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                 data.ftLastWriteTime.dwLowDateTime;
    return true;
}

std::string DirectoryOf(const std::string& path) {
    PathParts p = SplitPath(path);
    return p.drive + p.directory;
}
