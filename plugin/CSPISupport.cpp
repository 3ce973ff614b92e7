#include "plugin/CSPISupport.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/PluginText.h"
#include "plugin/ReturnedBlocks.h"
#include "plugin/SusieBlocks.h"
#include "plugin/SusieErrors.h"
#include "util/PathPieces.h"

namespace {
constexpr DWORD kHeadBytes = 2048;
constexpr DWORD kShareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The first 2048 bytes of a file in a zeroed 2049-byte buffer.  Read
// sharing everything: a viewer, an editor, a sync client or a virus scanner
// may hold the picture or archive open, even for writing, and the host only
// reads it.
bool ReadHead(const std::string& path, std::vector<char>* head) {
    UniqueFile file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, kShareEverything, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    head->assign(kHeadBytes + 1, '\0');
    DWORD got = 0;
    return ReadFile(file.get(), head->data(), kHeadBytes, &got, nullptr) != FALSE;
}

DWORD_PTR HeadArgument(const void* head) { return reinterpret_cast<DWORD_PTR>(head); }

bool EndsWithBackslash(const std::string& text) {
    bool last = false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = text[i];
        if (IsCp932LeadByte(c) && i + 1 < text.size()) {
            ++i;
            last = false;
        } else {
            last = c == '\\';
        }
    }
    return last;
}

// Whether a decoder's two blocks are real, distinct blocks whose contents
// fit their sizes.
bool DecodedBlocksFit(HLOCAL info, HLOCAL bits) {
    if (!info || !bits || info == bits) return false;
    LocalLockGuard infoLock(info);
    LocalLockGuard bitsLock(bits);
    if (!infoLock.data() || !bitsLock.data()) return false;
    DibLayout layout;
    return CheckDibBlocks(infoLock.data(), infoLock.size(), bitsLock.size(), &layout) == DibCheck::Ok;
}

}  // namespace

std::string PluginFaultMessage(const std::string& fileName, const char* entry, const PluginGuard::Fault& fault) {
    char detail[160];
    // The address has the digits of this edition's pointers: 8, or 16 on 64-bit.
    std::snprintf(detail, sizeof(detail), "%s の実行中に例外 0x%08lX (%s) が発生しました。\nアドレス: 0x%0*llX",
                  entry ? entry : "?", static_cast<unsigned long>(fault.code), PluginGuard::FaultName(fault.code),
                  static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(fault.address)));
    return "プラグイン[" + fileName + "]が異常終了したため、使用を停止しました。\n" + detail;
}

CSPISupport::CSPISupport() = default;

CSPISupport::~CSPISupport() = default;

CSPISupport::FaultReportScope::FaultReportScope(CSPISupport* host) : m_host(host) { ++m_host->m_operationDepth; }

CSPISupport::FaultReportScope::~FaultReportScope() {
    if (--m_host->m_operationDepth > 0) return;
    for (CSPIPlugin& plugin : m_host->m_plugins) {
        if (!plugin.faulted() || plugin.faultReported) continue;
        plugin.faultReported = true;
        m_host->QueueFaultMessage(plugin.fileName, plugin.faultedEntry(), plugin.fault());
    }
    m_call.Release();
    m_host->ShowQueuedFaults();
}

void CSPISupport::QueueFaultMessage(const std::string& fileName, const char* entry, const PluginGuard::Fault& fault) {
    m_queuedFaultMessages.push_back(PluginFaultMessage(fileName, entry, fault));
}

void CSPISupport::ShowQueuedFaults() {
    // Taken first: a box runs a message loop, which may start another operation.
    std::vector<std::string> messages;
    messages.swap(m_queuedFaultMessages);
    for (const std::string& text : messages) ShowAppMessage(text);
}

int CSPISupport::FaultsSoFar() const {
    int count = static_cast<int>(m_faultedPaths.size());
    for (const CSPIPlugin& plugin : m_plugins) count += plugin.faulted() ? 1 : 0;
    return count;
}

bool CSPISupport::HasFaulted(int index) const {
    return index >= 0 && index < GetPluginCount() && m_plugins[index].faulted();
}

int __stdcall CSPISupport::DefaultProgress(int, int, LONG_PTR) { return 0; }

int CSPISupport::OnPluginLoaded(const std::string&, const char*, int) { return 1; }

bool CSPISupport::IsUsable(int index, uint8_t type) const {
    if (index < 0 || index >= GetPluginCount()) return false;
    const CSPIPlugin& p = m_plugins[index];
    return p.enabled && !p.faulted() && (p.typeFlags & type) != 0;
}

int CSPISupport::LoadPlugins(const std::string& directory) {
    FaultReportScope reports(this);
    std::string folder = directory;
    if (!(folder.size() <= 1 || EndsWithBackslash(folder))) folder += '\\';
    std::wstring wideFolder = ToWide(folder);
    WIN32_FIND_DATAW found;
    // Only this edition's kind: a 32-bit and a 64-bit plug-in may lie side by side.
    UniqueFind search(FindFirstFileW((wideFolder + L"*" + ToWide(kPluginExtension)).c_str(), &found));
    if (!search) return 0;

    const size_t heldBefore = m_plugins.size();
    m_plugins.reserve(m_plugins.size() + 10);
    m_plugins.emplace_back();  // the spare record each file is tried in
    int added = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string path = PathToCp932(wideFolder + found.cFileName);
        if (path.empty()) continue;
        bool seen = false;
        for (const std::string& p : loadedPaths) seen = seen || p == path;
        for (const std::string& p : m_faultedPaths) seen = seen || p == path;
        if (seen) continue;

        CSPIPlugin& spare = m_plugins.back();
        if (!spare.LoadPlugin(path)) {
            if (spare.faulted()) {
                // Skipped like a library that fails its checks, and not tried again.
                QueueFaultMessage(FileNameOf(path), spare.faultedEntry(), spare.fault());
                m_faultedPaths.push_back(path);
                spare.LoadPlugin(std::string());  // a clean spare record
            }
            continue;
        }
        loadedPaths.push_back(path);
        uint8_t type = spare.typeFlags & typeMask;
        if (type == 0 || type == kSpiMultiple) {
            spare.UnloadPlugin();
            continue;
        }
        std::string lowerName = LowerCp932(spare.fileName);
        bool sameName = false;
        for (size_t i = 0; i < heldBefore && !sameName; ++i) sameName = LowerCp932(m_plugins[i].fileName) == lowerName;
        if (sameName) {
            spare.UnloadPlugin();
            continue;
        }
        int index = static_cast<int>(m_plugins.size()) - 1;
        m_plugins.emplace_back();
        ++added;
        OnPluginLoaded(m_plugins[index].fileName, m_plugins[index].apiVersion, index);
    } while (FindNextFileW(search.get(), &found));

    m_plugins.pop_back();
    m_plugins.shrink_to_fit();
    return added;
}

int CSPISupport::CountSupportEntries() {
    FaultReportScope reports(this);
    int total = 0;
    for (CSPIPlugin& p : m_plugins) {
        if (!p.enabled || p.faulted()) continue;
        for (int n = 0; n < kMaxSupportEntries && p.GetSupportEntry(n, nullptr, nullptr); ++n) ++total;
    }
    return total;
}

const std::string& CSPISupport::GetFileFilter(bool withArchives) {
    FaultReportScope reports(this);
    if (CountSupportEntries() == 0) {
        m_fileFilter = "All Files(*.*)|*.*|";
        return m_fileFilter;
    }
    struct Entry { std::string type, pattern; };
    std::vector<std::vector<Entry>> entries(m_plugins.size());
    for (size_t i = 0; i < m_plugins.size(); ++i) {
        if (!m_plugins[i].enabled || m_plugins[i].faulted()) continue;
        Entry e;
        for (int n = 0; n < kMaxSupportEntries && m_plugins[i].GetSupportEntry(n, &e.type, &e.pattern); ++n)
            entries[i].push_back(e);
        if (m_plugins[i].faulted()) entries[i].clear();  // off from now on, as in every other list
    }
    auto joinPatterns = [&](uint8_t type) {
        std::string joined;
        for (size_t i = 0; i < m_plugins.size(); ++i) {
            if (!(m_plugins[i].typeFlags & type)) continue;
            for (const Entry& e : entries[i]) {
                if (!joined.empty()) joined += ';';
                joined += e.pattern;
            }
        }
        return joined;
    };
    std::string text = "All Images|" + joinPatterns(kSpiImage);
    if (withArchives) text += "|All Archives|" + joinPatterns(kSpiArchive);
    text += "|";
    for (size_t i = 0; i < m_plugins.size(); ++i) {
        if ((m_plugins[i].typeFlags & kSpiArchive) && !withArchives) continue;
        for (const Entry& e : entries[i]) text += e.type + " (" + e.pattern + ")|" + e.pattern + "|";
    }
    text += "All Files(*.*)|*.*|";
    m_fileFilter = std::move(text);
    return m_fileFilter;
}

bool CSPISupport::IsEnabled(int index) const {
    return index >= 0 && index < GetPluginCount() && m_plugins[index].enabled != 0;
}

void CSPISupport::SetEnabled(int index, bool enabled) {
    if (index >= 0 && index < GetPluginCount()) m_plugins[index].enabled = enabled ? 1 : 0;
}

uint8_t CSPISupport::GetTypeFlags(int index) const {
    return index >= 0 && index < GetPluginCount() ? m_plugins[index].typeFlags : 0;
}

std::string CSPISupport::GetFileName(int index) const {
    return index >= 0 && index < GetPluginCount() ? m_plugins[index].fileName : std::string();
}

const CSPIPlugin* CSPISupport::GetPlugin(int index) const {
    return index >= 0 && index < GetPluginCount() ? &m_plugins[index] : nullptr;
}

int CSPISupport::GetPluginInfo(int index, int number, char* buffer, int bufferSize) {
    FaultReportScope reports(this);
    if (!buffer || bufferSize <= 0) return 0;
    std::memset(buffer, 0, static_cast<size_t>(bufferSize));
    if (index < 0 || index >= GetPluginCount() || bufferSize < 2) return 0;
    int got = m_plugins[index].GetPluginInfo(number, buffer, bufferSize - 1);
    buffer[bufferSize - 1] = '\0';
    return got;
}

int CSPISupport::GetSupportEntry(int index, int n, std::string* typeName, std::string* pattern) {
    FaultReportScope reports(this);
    if (index < 0 || index >= GetPluginCount()) return 0;
    return m_plugins[index].GetSupportEntry(n, typeName, pattern);
}

bool CSPISupport::HasEntryPoint(int index, int k) const {
    return index >= 0 && index < GetPluginCount() && m_plugins[index].HasEntryPoint(k);
}

int CSPISupport::ConfigurationDlg(int index, HWND parent, int function) {
    FaultReportScope reports(this);
    if (index < 0 || index >= GetPluginCount()) return SusieResult::kNotImplemented;
    CSPIPlugin& plugin = m_plugins[index];
    bool parentEnabled = parent && IsWindowEnabled(parent);
    int code = plugin.ConfigurationDlg(parent, function);
    // A modal dialog of the plug-in that faulted never enabled its owner again.
    if (plugin.faulted() && parentEnabled && !IsWindowEnabled(parent)) EnableWindow(parent, TRUE);
    return code;
}

SPIProgressCallback CSPISupport::SetProgressCallback(SPIProgressCallback callback) {
    SPIProgressCallback previous = progressCallback;
    progressCallback = callback ? callback : &CSPISupport::DefaultProgress;
    return previous == &CSPISupport::DefaultProgress ? nullptr : previous;
}

int CSPISupport::DecodeFile(const std::string& path, HLOCAL* info, HLOCAL* bits, PictureInfo* pictureInfo) {
    FaultReportScope reports(this);
    if (path.empty() || !info || !bits) return SusieResult::kInternalError;
    *info = *bits = nullptr;
    std::vector<char> head;
    std::string ansiPath;
    if (!ReadHead(path, &head) || !ToPluginPath(path, &ansiPath)) return SusieResult::kFileReadError;

    return DecodeWithImagePlugins(
        ansiPath, head.data(),
        [&](CSPIPlugin& plugin, HLOCAL* gotInfo, HLOCAL* gotBits) {
            return plugin.GetPicture(ansiPath, gotInfo, gotBits, progressCallback, m_progressUserValue);
        },
        [&](CSPIPlugin& plugin, PictureInfo* out) { plugin.GetPictureInfo(ansiPath, out); }, info, bits, pictureInfo);
}

int CSPISupport::DecodeMemory(const std::string& name, HLOCAL data, HLOCAL* info, HLOCAL* bits,
                              PictureInfo* pictureInfo) {
    FaultReportScope reports(this);
    if (!data || !info || !bits) return SusieResult::kInternalError;
    *info = *bits = nullptr;
    LocalLockGuard lock(data);
    if (!lock.data()) return SusieResult::kMemoryError;
    size_t size = lock.size();
    if (size > 0x7FFFFFFF) return SusieResult::kNoMemory;
    char* bytes = static_cast<char*>(lock.data());
    // IsSupported may read a whole 2 KB head: a shorter picture is offered padded.
    std::vector<char> padded;
    const char* head = bytes;
    if (size < kHeadBytes) {
        padded.assign(kHeadBytes + 1, '\0');
        std::memcpy(padded.data(), bytes, size);
        head = padded.data();
    }

    LONG_PTR length = static_cast<LONG_PTR>(size);
    return DecodeWithImagePlugins(
        name, head,
        [&](CSPIPlugin& plugin, HLOCAL* gotInfo, HLOCAL* gotBits) {
            return plugin.GetPicture(bytes, length, kSpiInputMemory, gotInfo, gotBits, progressCallback,
                                     m_progressUserValue);
        },
        [&](CSPIPlugin& plugin, PictureInfo* out) { plugin.GetPictureInfo(bytes, length, kSpiInputMemory, out); },
        info, bits, pictureInfo);
}

int CSPISupport::DecodeWithImagePlugins(const std::string& name, const char* head,
                                        const std::function<int(CSPIPlugin&, HLOCAL*, HLOCAL*)>& getPicture,
                                        const std::function<void(CSPIPlugin&, PictureInfo*)>& getInfo,
                                        HLOCAL* info, HLOCAL* bits, PictureInfo* pictureInfo) {
    // "Unknown format" only when no plug-in took the picture; otherwise what
    // the first one that took it and failed said (its "broken data", say),
    // which is what tells the user why.
    int firstFailure = SusieResult::kSuccess;
    for (int i = 0; i < GetPluginCount(); ++i) {
        if (!IsUsable(i, kSpiImage)) continue;
        CSPIPlugin& plugin = m_plugins[i];
        std::vector<char> nameBuffer = PluginNameBuffer(name);
        if (plugin.IsSupported(nameBuffer.data(), HeadArgument(head)) != 1) continue;
        HLOCAL gotInfo = nullptr, gotBits = nullptr;
        int code = getPicture(plugin, &gotInfo, &gotBits);
        if (code == SusieResult::kSuccess && !DecodedBlocksFit(gotInfo, gotBits)) code = SusieResult::kBrokenData;
        if (code != SusieResult::kSuccess) {
            // What a faulted plug-in left in the handles is not trusted to be a block.
            if (!plugin.faulted()) FreeReturnedBlocks(&gotInfo, &gotBits);
            if (firstFailure == SusieResult::kSuccess) firstFailure = code;
            continue;
        }
        *info = gotInfo;
        *bits = gotBits;
        if (pictureInfo) {
            std::memset(pictureInfo, 0, sizeof(*pictureInfo));
            getInfo(plugin, pictureInfo);
        }
        return SusieResult::kSuccess;
    }
    return firstFailure != SusieResult::kSuccess ? firstFailure : SusieResult::kUnknownFormat;
}

int CSPISupport::ExtractFile(const std::string& archivePath, const std::string& memberPath, HLOCAL* member) {
    FaultReportScope reports(this);
    if (archivePath.empty() || !member) return SusieResult::kInternalError;
    *member = nullptr;
    std::vector<char> head;
    std::string ansiPath;
    if (!ReadHead(archivePath, &head) || !ToPluginPath(archivePath, &ansiPath)) return SusieResult::kFileReadError;

    for (int i = 0; i < GetPluginCount(); ++i) {
        if (!IsUsable(i, kSpiArchive)) continue;
        CSPIPlugin& plugin = m_plugins[i];
        std::vector<char> name = PluginNameBuffer(ansiPath);
        if (plugin.IsSupported(name.data(), HeadArgument(head.data())) != 1) continue;

        // The first archive plug-in that takes the archive decides.  The
        // record is zeroed and has room for the largest layout; only its
        // fields are read, at this edition's offsets.
        fileInfo record;
        std::memset(&record, 0, sizeof(record));
        std::vector<char> memberName = PluginNameBuffer(memberPath);
        int code = plugin.GetFileInfo(name.data(), 0, memberName.data(), kSpiInputFile, &record);
        if (code != SusieResult::kSuccess) return code;
        SusieFileRecord fields;
        if (!ParseFileInfoRecord(&record, sizeof(record), kHostFileInfoLayout, &fields))
            return SusieResult::kBrokenData;
        // The position goes back to the plug-in as the bits it gave.
        HLOCAL block = nullptr;
        code = plugin.GetFile(name.data(), static_cast<LONG_PTR>(fields.position), reinterpret_cast<LPSTR>(&block),
                              kSpiInputFile | kSpiOutputMemory, progressCallback, m_progressUserValue);
        if (code != SusieResult::kSuccess) {
            if (!plugin.faulted()) FreeReturnedBlock(block);
            return code;
        }
        {
            LocalLockGuard probe(block);
            if (!probe.data()) return SusieResult::kBrokenData;
        }
        *member = block;
        return SusieResult::kSuccess;
    }
    return SusieResult::kUnknownFormat;
}

int CSPISupport::GetArcFileList(const std::string& archivePath, ArcFileList* list) {
    FaultReportScope reports(this);
    const int faultsBefore = FaultsSoFar();
    if (archivePath.empty() || !list) return SusieResult::kInternalError;
    std::vector<char> head;
    std::string ansiPath;
    if (!ReadHead(archivePath, &head) || !ToPluginPath(archivePath, &ansiPath)) return SusieResult::kFileReadError;

    int code = SusieResult::kUnknownFormat;
    HLOCAL block = nullptr;
    for (int i = 0; i < GetPluginCount() && !block; ++i) {
        if (!IsUsable(i, kSpiArchive)) continue;
        std::vector<char> name = PluginNameBuffer(ansiPath);
        if (m_plugins[i].IsSupported(name.data(), HeadArgument(head.data())) != 1) continue;
        code = m_plugins[i].GetArchiveInfo(name.data(), 0, kSpiInputFile, &block);
        if (m_plugins[i].faulted()) block = nullptr;  // whatever it left there is not trusted
    }
    if (block) {
        code = SusieResult::kSuccess;
        bool isBlock = false;
        {
            LocalLockGuard lock(block);
            isBlock = lock.data() != nullptr;
            std::vector<SusieFileRecord> records;
            if (!isBlock) {
                code = SusieResult::kMemoryError;
            } else if (ParseFileInfoRun(lock.data(), lock.size(), kHostFileInfoLayout, &records) != FileInfoRun::Complete) {
                code = SusieResult::kBrokenData;
            } else {
                for (const SusieFileRecord& r : records) list->push_back(std::make_unique<CArcFileEntry>(r));
            }
        }
        if (isBlock) LocalFree(block);
    }
    // A plug-in fault has its own box; one failure, one box.
    if (code != SusieResult::kSuccess && FaultsSoFar() == faultsBefore) {
        const char* text = GetErrorText(code);
        ShowAppMessage("CSPISupport::GetArcFileList エラー\nFilename[" + archivePath + "] text=" +
                       std::string(text ? text : "") + " code=" + std::to_string(code));
    }
    return code;
}
