#include "app/IconTip.h"

#include "util/PathPieces.h"

namespace {
const char* const kProduct = "Tavrin";
const char* const kEllipsis = "\x81\x63";  // "…"

// Bytes of `text` that fit in `limit` without splitting a double-byte character.
size_t WholeCharactersIn(const std::string& text, size_t limit) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + n > limit) break;
        i += n;
    }
    return i;
}
}  // namespace

std::string IconTipText(const std::vector<std::string>& names, size_t maxBytes) {
    std::string tip = kProduct;
    bool first = true;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        tip += first ? " - " : " / ";
        tip += name;
        first = false;
    }
    if (tip.size() <= maxBytes) return tip;
    const size_t ellipsis = std::char_traits<char>::length(kEllipsis);
    if (maxBytes < ellipsis) return tip.substr(0, WholeCharactersIn(tip, maxBytes));
    return tip.substr(0, WholeCharactersIn(tip, maxBytes - ellipsis)) + kEllipsis;
}
