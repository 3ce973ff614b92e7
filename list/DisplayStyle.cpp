#include "list/DisplayStyle.h"

// Code page 932 bytes, written out so that every compiler produces them.
const char* StyleName(DisplayStyle style) {
    switch (style) {
    case kStyleCentre: return "\x92\x86\x89\x9b";             // 中央
    case kStyleTile: return "\x95\xc0\x82\xd7\x82\xe9";      // 並べる
    case kStyleStretch: return "\x8a\x67\x91\xe5";           // 拡大
    default: return nullptr;
    }
}
