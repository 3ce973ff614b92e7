#include "Signature.h"

bool SignatureMatches(const Signature& signature, const uint8_t* head, size_t size) {
    const size_t n = signature.pattern.size();
    if (n == 0 || signature.mask.size() != n || !head) return false;
    if (signature.position > size || size - signature.position < n) return false;
    for (size_t i = 0; i < n; ++i) {
        uint8_t m = signature.mask[i];
        if ((head[signature.position + i] & m) != (signature.pattern[i] & m)) return false;
    }
    return true;
}
