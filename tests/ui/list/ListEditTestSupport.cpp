#include "ListEditTestSupport.h"

#include <shlobj.h>

#include "list/ListFileCodec.h"
#include "util/Cp932Convert.h"

void WriteListFile(const std::string& file, const std::vector<TestEntry>& entries) {
    WallPaperEntries list;
    for (const TestEntry& e : entries) {
        auto entry = std::make_unique<CWallPaperData>(e.name, e.path, e.style);
        entry->m_bInUse = e.inUse;
        list.push_back(std::move(entry));
    }
    WriteBytes(file, EncodeListFile(list));
}

ListEditContext::ListEditContext(const TempDir& dir, const std::vector<TestEntry>& entries)
    : m_listFile(dir.File("List.tvl")) {
    WriteListFile(m_listFile, entries);
    m_profile.WriteString("Settings", "ConfPath", m_listFile);
    m_profile.WriteString("Settings", "DeskCalPath", "");
    m_context = std::make_unique<AppContext>(m_profile);
}

std::vector<std::string> ListEditContext::Names() const {
    std::vector<std::string> names;
    for (const auto& e : m_context->list().entries()) names.push_back(e->m_strName);
    return names;
}

std::vector<std::string> NamesInListFile(const std::string& file) {
    std::string bytes = ReadBytes(file);
    WallPaperEntries entries;
    std::vector<std::string> names;
    if (DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, &entries) != ListDecodeResult::Ok) {
        names.push_back("<unreadable>");
        return names;
    }
    for (const auto& e : entries) names.push_back(e->m_strName);
    return names;
}

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wchar_t* out = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& p : paths) {
        wcscpy(out, p.c_str());
        out += p.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}
