#pragma once
// One registered wallpaper.  Strings are code page 932 bytes.
#include <cstdint>
#include <string>

#include "list/DisplayStyle.h"

class CWallPaperData {
public:
    static constexpr const char* kClassName = "CWallPaperData";
    static constexpr uint16_t kSchema = 2;

    std::string m_strName;       // display name: the menu item's text and the lookup key
    std::string m_strPath;       // image path, or "archive|member"
    DisplayStyle m_nStyle = kStyleCentre;
    std::string m_strReserved;   // stored and read back, otherwise unused
    bool m_bInUse = true;        // only entries in use appear in the menu
    int32_t m_nReserved1 = 0;
    int32_t m_nReserved2 = 0;

    CWallPaperData() = default;
    CWallPaperData(std::string name, std::string path, DisplayStyle style)
        : m_strName(std::move(name)), m_strPath(std::move(path)), m_nStyle(style) {}

    bool operator==(const CWallPaperData& o) const {
        return m_strName == o.m_strName && m_strPath == o.m_strPath && m_nStyle == o.m_nStyle &&
               m_strReserved == o.m_strReserved && m_bInUse == o.m_bInUse &&
               m_nReserved1 == o.m_nReserved1 && m_nReserved2 == o.m_nReserved2;
    }
};
