#pragma once
// One loaded Susie plug-in module: its identity, its type, the support
// entries read at load time and its exports.  Every wrapper passes its
// arguments through unchanged; a missing export answers with the API's
// "not there" result instead of being called.  Every call into the module
// runs under the plug-in guard: a plug-in that faults is marked as faulted,
// answers every later call with the failure result without being called,
// and its call reports failure (GetPluginInfo and IsSupported 0, the others
// 8, internal error).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "plugin/PluginGuard.h"
#include "plugin/SusieTypes.h"

class CSPIPlugin {
public:
    // HasEntryPoint numbers, in the order of the exports.
    enum EntryPoint {
        kGetPluginInfo = 1, kIsSupported, kGetPictureInfo, kGetPicture, kGetPreview,
        kGetArchiveInfo, kGetFileInfo, kGetFile, kConfigurationDlg
    };
    // Length of the buffers support entries are read into.
    static constexpr int kInfoLength = 256;
    // A plug-in answering every information number must not hang the host.
    static constexpr int kMaxSupportEntries = 1024;

    CSPIPlugin() = default;
    virtual ~CSPIPlugin();
    CSPIPlugin(CSPIPlugin&& other) noexcept;
    CSPIPlugin& operator=(CSPIPlugin&& other) noexcept;
    CSPIPlugin(const CSPIPlugin&) = delete;
    CSPIPlugin& operator=(const CSPIPlugin&) = delete;

    // Loads the library at `path` (code page 932) and reads what the host
    // needs of it.  False, with the record empty, when the library does not
    // load or has no GetPluginInfo.
    bool LoadPlugin(const std::string& path);
    // Frees the module (one that faulted is only let go, never freed) and
    // clears everything but enabled and apiVersion.
    void UnloadPlugin();
    // Asks for information number 0 and derives typeFlags from it.
    uint8_t ClassifyApiVersion();
    // typeFlags of an API version text (exact, case-sensitive).
    static uint8_t TypeFlagsOf(const char* apiVersion, size_t length);
    // Support entry n: 1 when its type name (number 2n+3) is not empty, in
    // which case the pattern (number 2n+2) is read as well; otherwise 0.
    // Each text is read into a zeroed buffer of length + 1 bytes.
    int GetSupportEntry(int n, std::string* typeName, std::string* pattern, int length = kInfoLength);
    // Information number `number` as text (at most `length` bytes).
    std::string GetInfoText(int number, int length = kInfoLength);
    bool HasEntryPoint(int k) const;

    // The exports.
    int GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength);
    int IsSupported(LPSTR fileName, DWORD_PTR head);
    int GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned int flag, PictureInfo* info);
    int GetPicture(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                   SPIProgressCallback progress, LONG_PTR userValue);
    int GetPreview(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* info, HLOCAL* bits,
                   SPIProgressCallback progress, LONG_PTR userValue);
    int GetArchiveInfo(LPSTR buffer, LONG_PTR length, unsigned int flag, HLOCAL* list);
    int GetFileInfo(LPSTR buffer, LONG_PTR length, LPSTR fileName, unsigned int flag, fileInfo* info);
    int GetFile(LPSTR source, LONG_PTR length, LPSTR destination, unsigned int flag, SPIProgressCallback progress,
                LONG_PTR userValue);
    int ConfigurationDlg(HWND parent, int function);

    // The file forms: flag 0, then once more with flag 0x80 when the first
    // answer is not a success (for GetPicture: neither 0 nor 1).
    int GetPicture(const std::string& ansiName, HLOCAL* info, HLOCAL* bits, SPIProgressCallback progress,
                   LONG_PTR userValue);
    int GetPictureInfo(const std::string& ansiName, PictureInfo* info);

    // Whether the plug-in faulted during this run; the user's choice
    // (enabled) is not touched by it.
    bool faulted() const { return m_faulted; }
    const PluginGuard::Fault& fault() const { return m_fault; }
    // The export that faulted ("GetPicture"), or null.
    const char* faultedEntry() const { return m_faultedEntry; }
    // Whether the user has been told of the fault (the host tells once).
    bool faultReported = false;

    int enabled = 1;
    UniqueModule module;
    std::string modulePath;  // code page 932
    std::string fileName;
    uint8_t typeFlags = 0;
    int32_t entryCount = 0;
    std::vector<std::string> patterns;   // as the plug-in wrote them
    std::vector<std::string> typeNames;
    char apiVersion[5] = {0, 0, 0, 0, 0};

    SPI_GetPluginInfo pGetPluginInfo = nullptr;
    SPI_IsSupported pIsSupported = nullptr;
    SPI_GetPictureInfo pGetPictureInfo = nullptr;
    SPI_GetPicture pGetPicture = nullptr;
    SPI_GetPreview pGetPreview = nullptr;
    SPI_GetArchiveInfo pGetArchiveInfo = nullptr;
    SPI_GetFileInfo pGetFileInfo = nullptr;
    SPI_GetFile pGetFile = nullptr;
    SPI_ConfigurationDlg pConfigurationDlg = nullptr;

private:
    // Runs `call` under the guard; on a fault marks the plug-in and answers `failure`.
    template <typename Call>
    int Guarded(EntryPoint entry, int failure, Call call, SPIProgressCallback progress = nullptr);
    void ClearEntryPoints();
    void MoveFrom(CSPIPlugin& other);

    bool m_faulted = false;
    PluginGuard::Fault m_fault;
    const char* m_faultedEntry = nullptr;
};

// The name of export k (1 to 9, the HasEntryPoint numbers), or null.
const char* EntryPointName(int k);
