#include "list/DisplayStyle.h"

// Code page 932 bytes, written out so that every compiler produces them.
const char* StyleName(DisplayStyle style) {
    switch (style) {
    case kStyleCentre: return "\x92\x86\x89\x9b";             // 中央
    case kStyleTile: return "\x95\xc0\x82\xd7\x82\xe9";      // 並べる
    case kStyleStretch: return "\x8a\x67\x91\xe5";           // 拡大
    case kStyleFit: return "\x91\x53\x91\xcc\x95\x5c\x8e\xa6";  // 全体表示
    case kStyleFill: return "\x89\xe6\x96\xca\x82\xa2\x82\xc1\x82\xcf\x82\xa2";  // 画面いっぱい
    case kStyleSpan: return "\x83\x58\x83\x70\x83\x93";  // スパン
    default: return nullptr;
    }
}
