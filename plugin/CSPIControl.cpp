#include "plugin/CSPIControl.h"

#include <vector>

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/ArchiveMemberPath.h"
#include "plugin/BitmapFile.h"
#include "plugin/SusieBlocks.h"
#include "plugin/SusieErrors.h"
#include "util/ExtensionFilter.h"
#include "util/PathPieces.h"

namespace {
constexpr const char* kDisabledListName = "DisableSPIs";
}  // namespace

CSPIControl::CSPIControl(AppSettings* settings, bool scanNow) : m_settings(settings) {
    if (scanNow) EnsureScanned();
}

CSPIControl::CSPIControl(const PluginSource& source) : m_settings(nullptr), m_source(source), m_quiet(true) {}

PluginSource CSPIControl::SourceOf(AppSettings& settings) {
    PluginSource source;
    source.on = settings.enableSPI;
    source.directory = settings.spiPath;
    source.disabledList = settings.profile().GetString(AppSettings::kSection, kDisabledListName, "");
    return source;
}

void CSPIControl::EnsureScanned() {
    if (m_scanned) return;
    ReloadFromSettings();
    LoadDisabledList();
}

CSPIControl::~CSPIControl() {
    SaveDisabledList();
    for (CSPIPlugin& plugin : m_plugins) plugin.UnloadPlugin();
}

bool CSPIControl::ReloadFromSettings() {
    m_scanned = true;
    if (!PluginsOn()) {
        m_pluginDirectory.clear();
        return false;
    }
    m_pluginDirectory = m_settings ? m_settings->spiPath : m_source.directory;
    bool added = LoadPlugins(m_pluginDirectory) > 0;
    if (added && !m_storedListApplied) LoadDisabledList();
    return added;
}

std::vector<std::string> CSPIControl::StoredDisabledNames() const {
    std::vector<std::string> names;
    if (!m_settings && !m_quiet) return names;
    std::string stored = m_settings ? m_settings->profile().GetString(AppSettings::kSection, kDisabledListName, "")
                                    : m_source.disabledList;
    // Split character by character: the second byte of a double-byte
    // character may be 0x5C, the backslash.
    for (const std::string& name : SplitCp932(stored, '\\')) names.push_back(LowerCp932(name));
    return names;
}

bool CSPIControl::LoadDisabledList() {
    if (!m_settings && !m_quiet) return false;
    m_storedListApplied = !m_plugins.empty();
    std::vector<std::string> names = StoredDisabledNames();
    for (CSPIPlugin& plugin : m_plugins) {
        std::string lower = LowerCp932(plugin.fileName);
        for (const std::string& name : names) {
            if (name == lower) plugin.enabled = 0;
        }
    }
    return true;
}

bool CSPIControl::SaveDisabledList() {
    if (!m_settings) return false;
    // A host that never held a plug-in knows nothing about them: the user's
    // stored list stays as it is.
    if (m_plugins.empty()) return true;
    std::string text;
    for (const CSPIPlugin& plugin : m_plugins) {
        if (!plugin.enabled) text += plugin.fileName + "\\";
    }
    // Names of plug-ins not held now (another folder, removed for a while,
    // or the other edition's kind: the 32-bit and 64-bit editions share the
    // profile) keep the user's choice, in their stored order.
    for (const std::string& name : StoredDisabledNames()) {
        bool held = false;
        for (const CSPIPlugin& plugin : m_plugins) held = held || LowerCp932(plugin.fileName) == name;
        if (!held) text += name + "\\";
    }
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return m_settings->profile().WriteString(AppSettings::kSection, kDisabledListName, LowerCp932(text));
}

const std::string& CSPIControl::GetOpenFilter(bool withArchives) {
    FaultReportScope reports(this);
    if (!PluginsOn()) {
        m_openFilter = "画像ファイル(*.bmp)|*.bmp|All Files(*.*)|*.*||";
    } else {
        m_openFilter = GetFileFilter(withArchives);
    }
    return m_openFilter;
}

const std::string& CSPIControl::GetImagePatterns() {
    FaultReportScope reports(this);
    m_imagePatterns.clear();
    if (!PluginsOn()) {
        m_imagePatterns = "*.bmp";
        return m_imagePatterns;
    }
    if (CountSupportEntries() == 0) return m_imagePatterns;
    std::vector<std::string> seen;
    std::string text;
    for (int i = 0; i < GetPluginCount(); ++i) {
        if (!IsUsable(i, kSpiImage)) continue;
        std::string type, pattern;
        for (int n = 0; n < kMaxSupportEntries && m_plugins[i].GetSupportEntry(n, &type, &pattern); ++n) {
            std::string lower = LowerCp932(pattern);
            bool repeated = false;
            for (const std::string& s : seen) repeated = repeated || s == lower;
            if (repeated) continue;
            seen.push_back(lower);
            text += pattern + " ";
        }
    }
    for (char& c : text) {
        if (c == ';') c = ' ';
    }
    m_imagePatterns = std::move(text);
    return m_imagePatterns;
}

bool CSPIControl::IsArchiveFile(const std::string& name) {
    FaultReportScope reports(this);
    if (!PluginsOn() || CountSupportEntries() == 0) return false;
    // Matched entry by entry: the joined list of many plug-ins may be longer
    // than the pattern matcher reads.
    for (int i = 0; i < GetPluginCount(); ++i) {
        if (!IsUsable(i, kSpiArchive)) continue;
        std::string type, pattern;
        for (int n = 0; n < kMaxSupportEntries && m_plugins[i].GetSupportEntry(n, &type, &pattern); ++n) {
            if (MatchesExtensionFilter(name, pattern, ";")) return true;
        }
    }
    return false;
}

void CSPIControl::ReportLoadError(int code) {
    if (m_quiet) return;
    const char* text = GetErrorText(code);
    ShowAppMessage("CSPIControl::LoadPicture occured error! (" + std::to_string(code) + ") " +
                       std::string(text ? text : ""),
                   MB_OK | MB_ICONSTOP);
}

HBITMAP CSPIControl::LoadPicture(const std::string& path, int* memoryCode) {
    EnsureScanned();
    if (memoryCode) *memoryCode = SusieResult::kSuccess;
    if (!PluginsOn()) {
        bool lackedMemory = false;
        HBITMAP loaded = LoadBitmapFile(path, &lackedMemory);
        // Only a lack of memory is told: the caller may make room.
        if (!loaded && lackedMemory && memoryCode) *memoryCode = SusieResult::kNoMemory;
        return loaded;
    }
    FaultReportScope reports(this);
    const int faultsBefore = FaultsSoFar();
    // A plug-in that faulted has told the user already: one failure, one box.
    // A lack of memory goes to a caller that can make room.
    auto report = [&](int code) {
        if (code == SusieResult::kNoMemory && memoryCode) {
            *memoryCode = code;
            return;
        }
        if (FaultsSoFar() == faultsBefore) ReportLoadError(code);
    };
    ArchiveMemberPath parts = SplitArchiveMemberPath(path);
    HLOCAL info = nullptr, bits = nullptr;
    if (IsArchiveFile(ExtensionOf(parts.archive))) {
        if (parts.member.empty()) return nullptr;
        HLOCAL member = nullptr;
        int code = ExtractFile(parts.archive, parts.member, &member);
        UniqueLocal memberBlock(member);
        if (code != SusieResult::kSuccess) {
            report(code);
            return nullptr;
        }
        code = DecodeMemory(parts.member, memberBlock.get(), &info, &bits);
        if (code == SusieResult::kNoMemory && memoryCode) *memoryCode = code;
        if (code != SusieResult::kSuccess) return nullptr;
    } else {
        int code = DecodeFile(path, &info, &bits);
        if (code != SusieResult::kSuccess) {
            report(code);
            return nullptr;
        }
    }
    UniqueLocal infoBlock(info), bitsBlock(bits);
    bool refused = false;
    HBITMAP bitmap = MakeBitmapFromBlocks(infoBlock.get(), bitsBlock.get(), &refused);
    // Decoded, but the system has no memory left for the screen bitmap.
    if (!bitmap && refused) report(SusieResult::kNoMemory);
    return bitmap;
}

HBITMAP MakeBitmapFromBlocks(HLOCAL info, HLOCAL bits, bool* systemRefused) {
    if (systemRefused) *systemRefused = false;
    LocalLockGuard infoLock(info);
    LocalLockGuard bitsLock(bits);
    if (!infoLock.data() || !bitsLock.data()) return nullptr;
    DibLayout layout;
    if (CheckDibBlocks(infoLock.data(), infoLock.size(), bitsLock.size(), &layout) != DibCheck::Ok) return nullptr;
    const BITMAPINFO* checked = reinterpret_cast<const BITMAPINFO*>(layout.info.data());
    WindowDC screen(nullptr);
    HBITMAP bitmap = screen ? MakeDisplayBitmap(screen.get(), checked, bitsLock.data()) : nullptr;
    if (!bitmap && systemRefused) *systemRefused = true;
    return bitmap;
}
