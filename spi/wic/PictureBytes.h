#pragma once
// The bytes of the picture a call names: a file read from an offset to its
// end, or a block of the caller's memory used where it is.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Largest file read into memory.
constexpr uint64_t kMaxFileBytes = 512ull * 1024 * 1024;

class PictureBytes {
public:
    PictureBytes() = default;
    ~PictureBytes();
    PictureBytes(const PictureBytes&) = delete;
    PictureBytes& operator=(const PictureBytes&) = delete;

    // From the Susie arguments (buffer, length, flag).  Returns a Susie code:
    // 0, 6 when the file cannot be read, 4 when it does not fit in memory,
    // 2 for an empty picture or a source kind this plug-in does not know.
    int Open(LPCSTR buffer, LONG_PTR length, unsigned flag);
    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    void* m_owned = nullptr;  // process heap; only for a file
};
