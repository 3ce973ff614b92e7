#include "plugin/CSPIPlugin.h"

#include <cstring>
#include <utility>

#include "framework/TextBridge.h"
#include "plugin/PluginWindows.h"
#include "plugin/ReturnedBlocks.h"
#include "plugin/SusieErrors.h"
#include "util/PathPieces.h"

namespace {
template <typename F>
F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The module's own full path, or `given` when the system cannot say.
std::string ModulePathOf(HMODULE module, const std::string& given) {
    std::vector<wchar_t> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return given;
        if (n < buf.size() - 1) return PathToCp932(std::wstring(buf.data(), n));
        if (buf.size() > 32768) return given;
        buf.resize(buf.size() * 2);
    }
}

struct VersionFlags {
    const char* version;
    uint8_t flags;
};
constexpr VersionFlags kVersionTable[] = {
    {"00IN", 0x01}, {"00IM", 0x81}, {"00AN", 0x02}, {"00AM", 0x82},
    {"00XN", 0x04}, {"00XM", 0x84}, {"00CN", 0x10}, {"00EN", 0x20},
};
constexpr const char* kEntryNames[] = {
    "GetPluginInfo", "IsSupported", "GetPictureInfo", "GetPicture", "GetPreview",
    "GetArchiveInfo", "GetFileInfo", "GetFile", "ConfigurationDlg",
};

// What the plug-in is given as progress callback: the host's callback, run
// as our own code inside the guarded call (a fault in it is not the
// plug-in's) and never letting a C++ exception into the plug-in's frames.
int __stdcall GuardedProgress(int numerator, int denominator, LONG_PTR userValue) {
    PluginGuard::HostCallback scope;
    auto callback = reinterpret_cast<SPIProgressCallback>(scope.user());
    // Called from a thread of the plug-in's own, outside any guarded call:
    // the host's callback belongs to the user-interface thread and is not run.
    if (!callback) return 0;
    try {
        return callback(numerator, denominator, userValue);
    } catch (...) {
        return SusieResult::kAborted;  // the decode stops rather than the program
    }
}
}  // namespace

const char* EntryPointName(int k) {
    return k >= CSPIPlugin::kGetPluginInfo && k <= CSPIPlugin::kConfigurationDlg ? kEntryNames[k - 1] : nullptr;
}

template <typename Call>
int CSPIPlugin::Guarded(EntryPoint entry, int failure, Call call, SPIProgressCallback progress) {
    int result = failure;
    PluginGuard::Fault fault;
    if (PluginGuard::Run(call, &result, &fault, reinterpret_cast<void*>(progress))) return result;
    m_faulted = true;
    m_fault = fault;
    m_faultedEntry = EntryPointName(entry);
    CloseWindowsOfModule(module.get());
    return failure;
}

CSPIPlugin::~CSPIPlugin() { UnloadPlugin(); }

CSPIPlugin::CSPIPlugin(CSPIPlugin&& other) noexcept { MoveFrom(other); }

CSPIPlugin& CSPIPlugin::operator=(CSPIPlugin&& other) noexcept {
    if (this != &other) {
        UnloadPlugin();
        MoveFrom(other);
    }
    return *this;
}

void CSPIPlugin::MoveFrom(CSPIPlugin& other) {
    enabled = other.enabled;
    module = std::move(other.module);
    modulePath = std::move(other.modulePath);
    fileName = std::move(other.fileName);
    typeFlags = other.typeFlags;
    entryCount = other.entryCount;
    patterns = std::move(other.patterns);
    typeNames = std::move(other.typeNames);
    std::memcpy(apiVersion, other.apiVersion, sizeof(apiVersion));
    pGetPluginInfo = other.pGetPluginInfo;
    pIsSupported = other.pIsSupported;
    pGetPictureInfo = other.pGetPictureInfo;
    pGetPicture = other.pGetPicture;
    pGetPreview = other.pGetPreview;
    pGetArchiveInfo = other.pGetArchiveInfo;
    pGetFileInfo = other.pGetFileInfo;
    pGetFile = other.pGetFile;
    pConfigurationDlg = other.pConfigurationDlg;
    m_faulted = other.m_faulted;
    m_fault = other.m_fault;
    m_faultedEntry = other.m_faultedEntry;
    faultReported = other.faultReported;
    other.UnloadPlugin();
}

void CSPIPlugin::ClearEntryPoints() {
    pGetPluginInfo = nullptr;
    pIsSupported = nullptr;
    pGetPictureInfo = nullptr;
    pGetPicture = nullptr;
    pGetPreview = nullptr;
    pGetArchiveInfo = nullptr;
    pGetFileInfo = nullptr;
    pGetFile = nullptr;
    pConfigurationDlg = nullptr;
}

void CSPIPlugin::UnloadPlugin() {
    ClearEntryPoints();  // before the code they point into goes away
    // A module that faulted stays mapped until the process ends: freeing it
    // would run its detach code in whatever state the fault left it.
    if (m_faulted)
        module.release();
    else
        module.reset();
    modulePath.clear();
    fileName.clear();
    patterns.clear();
    typeNames.clear();
    entryCount = 0;
    typeFlags = 0;
}

bool CSPIPlugin::LoadPlugin(const std::string& path) {
    UnloadPlugin();
    m_faulted = false;
    m_fault = PluginGuard::Fault();
    m_faultedEntry = nullptr;
    faultReported = false;
    if (path.empty()) return false;
    std::wstring widePath = ToWide(path);
    if (widePath.empty()) return false;

    // A file that is not a loadable library must not bring up a system box.
    DWORD previousMode = 0;
    BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE loaded = LoadLibraryW(widePath.c_str());
    if (modeSet) SetThreadErrorMode(previousMode, nullptr);
    if (!loaded) return false;
    module.reset(loaded);

    modulePath = ModulePathOf(loaded, path);
    fileName = FileNameOf(modulePath);

    pGetPluginInfo = Export<SPI_GetPluginInfo>(loaded, "GetPluginInfo");
    if (!pGetPluginInfo) {
        UnloadPlugin();
        return false;
    }
    typeFlags = ClassifyApiVersion();
    if (m_faulted) {
        UnloadPlugin();  // the fault stays recorded for the caller to report
        return false;
    }

    pIsSupported = Export<SPI_IsSupported>(loaded, "IsSupported");
    pGetPictureInfo = Export<SPI_GetPictureInfo>(loaded, "GetPictureInfo");
    pGetPicture = Export<SPI_GetPicture>(loaded, "GetPicture");
    pGetPreview = Export<SPI_GetPreview>(loaded, "GetPreview");
    pGetArchiveInfo = Export<SPI_GetArchiveInfo>(loaded, "GetArchiveInfo");
    pGetFileInfo = Export<SPI_GetFileInfo>(loaded, "GetFileInfo");
    pGetFile = Export<SPI_GetFile>(loaded, "GetFile");
    pConfigurationDlg = Export<SPI_ConfigurationDlg>(loaded, "ConfigurationDlg");

    // Consecutive non-empty extension entries, from number 2 on.
    entryCount = 0;
    if (!GetInfoText(2).empty()) {
        while (entryCount < kMaxSupportEntries && !GetInfoText(2 * entryCount + 2).empty()) ++entryCount;
    }
    for (int n = 0; n < entryCount; ++n) {
        patterns.push_back(GetInfoText(2 * n + 2));
        typeNames.push_back(GetInfoText(2 * n + 3));
    }
    if (m_faulted) {
        UnloadPlugin();
        return false;
    }
    return true;
}

uint8_t CSPIPlugin::TypeFlagsOf(const char* version, size_t length) {
    if (length < 4) return 0;
    for (const VersionFlags& v : kVersionTable) {
        if (std::memcmp(version, v.version, 4) == 0) return v.flags;
    }
    return 0;
}

uint8_t CSPIPlugin::ClassifyApiVersion() {
    char buffer[10] = {};
    int got = GetPluginInfo(0, buffer, 9);
    if (got < 4) return 0;
    std::memcpy(apiVersion, buffer, 4);
    apiVersion[4] = '\0';
    return TypeFlagsOf(apiVersion, 4);
}

std::string CSPIPlugin::GetInfoText(int number, int length) {
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    GetPluginInfo(number, buffer.data(), length);
    return std::string(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(length)));
}

int CSPIPlugin::GetSupportEntry(int n, std::string* typeName, std::string* pattern, int length) {
    if (n < 0 || n > 0x3FFFFFFE || length <= 0) return 0;
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    if (GetPluginInfo(2 * n + 3, buffer.data(), length) < 1) return 0;
    if (typeName) *typeName = std::string(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(length)));
    std::string text = GetInfoText(2 * n + 2, length);
    if (pattern) *pattern = std::move(text);
    return 1;
}

bool CSPIPlugin::HasEntryPoint(int k) const {
    switch (k) {
    case kGetPluginInfo: return pGetPluginInfo != nullptr;
    case kIsSupported: return pIsSupported != nullptr;
    case kGetPictureInfo: return pGetPictureInfo != nullptr;
    case kGetPicture: return pGetPicture != nullptr;
    case kGetPreview: return pGetPreview != nullptr;
    case kGetArchiveInfo: return pGetArchiveInfo != nullptr;
    case kGetFileInfo: return pGetFileInfo != nullptr;
    case kGetFile: return pGetFile != nullptr;
    case kConfigurationDlg: return pConfigurationDlg != nullptr;
    default: return false;
    }
}

int CSPIPlugin::GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength) {
    if (m_faulted || !pGetPluginInfo) return 0;
    return Guarded(kGetPluginInfo, 0, [&] { return pGetPluginInfo(infoNumber, buffer, bufferLength); });
}

int CSPIPlugin::IsSupported(LPSTR name, DWORD_PTR head) {
    if (m_faulted || !pIsSupported) return 0;
    return Guarded(kIsSupported, 0, [&] { return pIsSupported(name, head); });
}

int CSPIPlugin::GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned int flag, PictureInfo* info) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pGetPictureInfo) return SusieResult::kNotImplemented;
    return Guarded(kGetPictureInfo, SusieResult::kInternalError,
                   [&] { return pGetPictureInfo(buffer, length, flag, info); });
}

int CSPIPlugin::GetPicture(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                           SPIProgressCallback progress, LONG_PTR userValue) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pGetPicture) return SusieResult::kNotImplemented;
    SPIProgressCallback given = progress ? &GuardedProgress : nullptr;
    return Guarded(
        kGetPicture, SusieResult::kInternalError,
        [&] { return pGetPicture(buffer, length, flag, info, bits, given, userValue); }, progress);
}

int CSPIPlugin::GetPreview(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                           SPIProgressCallback progress, LONG_PTR userValue) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pGetPreview) return SusieResult::kNotImplemented;
    SPIProgressCallback given = progress ? &GuardedProgress : nullptr;
    return Guarded(
        kGetPreview, SusieResult::kInternalError,
        [&] { return pGetPreview(buffer, length, flag, info, bits, given, userValue); }, progress);
}

int CSPIPlugin::GetArchiveInfo(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* list) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pGetArchiveInfo) return SusieResult::kNotImplemented;
    return Guarded(kGetArchiveInfo, SusieResult::kInternalError,
                   [&] { return pGetArchiveInfo(buffer, length, flag, list); });
}

int CSPIPlugin::GetFileInfo(LPSTR buffer, LONG_PTR length, LPSTR name, unsigned int flag, fileInfo* info) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pGetFileInfo) return SusieResult::kNotImplemented;
    return Guarded(kGetFileInfo, SusieResult::kInternalError,
                   [&] { return pGetFileInfo(buffer, length, name, flag, info); });
}

int CSPIPlugin::GetFile(LPSTR source, LONG_PTR length, LPSTR destination, unsigned int flag,
                        SPIProgressCallback progress, LONG_PTR userValue) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pGetFile) return SusieResult::kNotImplemented;
    SPIProgressCallback given = progress ? &GuardedProgress : nullptr;
    return Guarded(
        kGetFile, SusieResult::kInternalError,
        [&] { return pGetFile(source, length, destination, flag, given, userValue); }, progress);
}

int CSPIPlugin::ConfigurationDlg(HWND parent, int function) {
    if (m_faulted) return SusieResult::kInternalError;
    if (!pConfigurationDlg) return SusieResult::kNotImplemented;
    return Guarded(kConfigurationDlg, SusieResult::kInternalError,
                   [&] { return pConfigurationDlg(parent, function); });
}

int CSPIPlugin::GetPicture(const std::string& ansiName, HLOCAL* info, HLOCAL* bits, SPIProgressCallback progress,
                           LONG_PTR userValue) {
    std::vector<char> name(ansiName.begin(), ansiName.end());
    name.push_back('\0');
    int code = GetPicture(name.data(), 0, kSpiInputFile, info, bits, progress, userValue);
    if (code == SusieResult::kSuccess || code == SusieResult::kAborted || m_faulted) return code;
    // Blocks handed back with the failure are freed before the second
    // attempt writes over their handles.
    FreeReturnedBlocks(info, bits);
    return GetPicture(name.data(), 0, kSpiInputFile | kSpiRetryFlag, info, bits, progress, userValue);
}

int CSPIPlugin::GetPictureInfo(const std::string& ansiName, PictureInfo* info) {
    std::vector<char> name(ansiName.begin(), ansiName.end());
    name.push_back('\0');
    int code = GetPictureInfo(name.data(), 0, kSpiInputFile, info);
    if (code == SusieResult::kSuccess || m_faulted) return code;
    return GetPictureInfo(name.data(), 0, kSpiInputFile | kSpiRetryFlag, info);
}
