#pragma once
// The picture size a file declares in its header, read before any decoder
// sees it, so that a picture too large for the address space is refused at
// once with the out-of-memory code.  PNG, JPEG and BMP; standard C++ only.
#include <cstddef>
#include <cstdint>

// False when the format is not one of these or the header is unreadable.
bool DeclaredSize(const uint8_t* data, size_t size, uint32_t* width, uint32_t* height);
