#include "plugin/SusieErrors.h"

const char* GetErrorText(int code) {
    static const char* const kTexts[] = {
        "その機能はインプリメントされていない",
        "正常終了",
        "コールバック関数が非0を返したので展開を中止した",
        "未知のフォーマット",
        "データが壊れている",
        "メモリーが確保出来ない",
        "メモリーエラー（Lock出来ない、等）",
        "ファイルリードエラー",
        "（予約）",
        "内部エラー",
    };
    if (code < -1 || code > 8) return nullptr;
    return kTexts[code + 1];
}
