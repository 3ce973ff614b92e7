#include "util/FileIO.h"

#include <algorithm>

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "util/PathPieces.h"

namespace {

FileReadStatus ReadAll(HANDLE file, std::string* bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return FileReadStatus::ReadFailed;
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxWholeFileBytes) return FileReadStatus::TooLarge;
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
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
    std::wstring folder = ToWide(DirectoryOf(path));
    if (folder.empty()) folder = L".";
    wchar_t temp[MAX_PATH + 16];
    if (!GetTempFileNameW(folder.c_str(), L"tvl", 0, temp)) {
        *error = GetLastError();
        return false;
    }
    bool written = false;
    {
        UniqueFile file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            FileChunkWriter write = [&](const char* data, size_t size) { return WriteAll(file.get(), data, size); };
            written = produce(write) && (!flush || FlushFileBuffers(file.get()));
        }
        if (!written) *error = GetLastError();
    }
    if (written && MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0)))
        return true;
    if (written) *error = GetLastError();
    if (*error == ERROR_SUCCESS) *error = ERROR_WRITE_FAULT;
    DeleteFileW(temp);
    return false;
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string DirectoryOf(const std::string& path) {
    PathParts p = SplitPath(path);
    return p.drive + p.directory;
}
