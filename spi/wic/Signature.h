#pragma once
// A format's signature: bytes at a position of the file, compared under a
// mask, as the imaging component's decoders describe their formats.
// Standard C++ only.
#include <cstddef>
#include <cstdint>
#include <vector>

struct Signature {
    size_t position = 0;
    std::vector<uint8_t> pattern;
    std::vector<uint8_t> mask;  // same length as pattern
};

// Whether the first `size` bytes of a file carry the signature; a signature
// that reaches past them does not match.
bool SignatureMatches(const Signature& signature, const uint8_t* head, size_t size);
