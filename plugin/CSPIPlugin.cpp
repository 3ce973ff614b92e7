#include "plugin/CSPIPlugin.h"

#include <cstring>
#include <utility>

#include "framework/TextBridge.h"
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
}  // namespace

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
    return pGetPluginInfo ? pGetPluginInfo(infoNumber, buffer, bufferLength) : 0;
}

int CSPIPlugin::IsSupported(LPSTR name, DWORD head) { return pIsSupported ? pIsSupported(name, head) : 0; }

int CSPIPlugin::GetPictureInfo(LPSTR buffer, long length, unsigned int flag, PictureInfo* info) {
    return pGetPictureInfo ? pGetPictureInfo(buffer, length, flag, info) : SusieResult::kNotImplemented;
}

int CSPIPlugin::GetPicture(LPSTR buffer, long length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                           SPIProgressCallback progress, long userValue) {
    return pGetPicture ? pGetPicture(buffer, length, flag, info, bits, progress, userValue)
                       : SusieResult::kNotImplemented;
}

int CSPIPlugin::GetPreview(LPSTR buffer, long length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                           SPIProgressCallback progress, long userValue) {
    return pGetPreview ? pGetPreview(buffer, length, flag, info, bits, progress, userValue)
                       : SusieResult::kNotImplemented;
}

int CSPIPlugin::GetArchiveInfo(LPSTR buffer, long length, unsigned int flag, HLOCAL* list) {
    return pGetArchiveInfo ? pGetArchiveInfo(buffer, length, flag, list) : SusieResult::kNotImplemented;
}

int CSPIPlugin::GetFileInfo(LPSTR buffer, long length, LPSTR name, unsigned int flag, fileInfo* info) {
    return pGetFileInfo ? pGetFileInfo(buffer, length, name, flag, info) : SusieResult::kNotImplemented;
}

int CSPIPlugin::GetFile(LPSTR source, long length, LPSTR destination, unsigned int flag,
                        SPIProgressCallback progress, long userValue) {
    return pGetFile ? pGetFile(source, length, destination, flag, progress, userValue)
                    : SusieResult::kNotImplemented;
}

int CSPIPlugin::ConfigurationDlg(HWND parent, int function) {
    return pConfigurationDlg ? pConfigurationDlg(parent, function) : SusieResult::kNotImplemented;
}

int CSPIPlugin::GetPicture(const std::string& ansiName, HLOCAL* info, HLOCAL* bits, SPIProgressCallback progress,
                           long userValue) {
    std::vector<char> name(ansiName.begin(), ansiName.end());
    name.push_back('\0');
    int code = GetPicture(name.data(), 0, kSpiInputFile, info, bits, progress, userValue);
    if (code == SusieResult::kSuccess || code == SusieResult::kAborted) return code;
    return GetPicture(name.data(), 0, kSpiInputFile | kSpiRetryFlag, info, bits, progress, userValue);
}

int CSPIPlugin::GetPictureInfo(const std::string& ansiName, PictureInfo* info) {
    std::vector<char> name(ansiName.begin(), ansiName.end());
    name.push_back('\0');
    int code = GetPictureInfo(name.data(), 0, kSpiInputFile, info);
    if (code == SusieResult::kSuccess) return code;
    return GetPictureInfo(name.data(), 0, kSpiInputFile | kSpiRetryFlag, info);
}
