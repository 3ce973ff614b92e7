#pragma once
// The list of loaded plug-ins and the protocol for calling them: the
// directory scan, the per-index accessors the dialogs use, picture decoding,
// member extraction and archive listing.  A plug-in is named by its index,
// which never changes: plug-ins are only ever appended.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plugin/CArcFileEntry.h"
#include "plugin/CSPIPlugin.h"
#include "plugin/PluginCallLock.h"
#include "plugin/SusieTypes.h"

using ArcFileList = std::vector<std::unique_ptr<CArcFileEntry>>;

class CSPISupport {
public:
    CSPISupport();
    virtual ~CSPISupport();
    CSPISupport(const CSPISupport&) = delete;
    CSPISupport& operator=(const CSPISupport&) = delete;

    // Called once for each newly accepted plug-in; the result is ignored.
    virtual int OnPluginLoaded(const std::string& fileName, const char* apiVersion, int index);

    // Loads every plug-in of this edition's kind ("*.spi" on 32-bit, "*.sph"
    // on 64-bit, kPluginExtension) in `directory` not loaded before; returns
    // how many plug-ins were added.
    int LoadPlugins(const std::string& directory);
    // Support entries of all enabled plug-ins.
    int CountSupportEntries();
    // The file dialog filter ("description|pattern|..."), valid until the next call.
    const std::string& GetFileFilter(bool withArchives);

    // Per-index accessors; an index out of range answers 0, false or empty.
    int GetPluginCount() const { return static_cast<int>(m_plugins.size()); }
    bool IsEnabled(int index) const;
    void SetEnabled(int index, bool enabled);
    uint8_t GetTypeFlags(int index) const;
    std::string GetFileName(int index) const;
    // Information number `number` into `buffer`; the plug-in is given one
    // byte less than the buffer, and the buffer always ends in a zero.
    int GetPluginInfo(int index, int number, char* buffer, int bufferSize);
    int GetSupportEntry(int index, int n, std::string* typeName, std::string* pattern);
    bool HasEntryPoint(int index, int k) const;
    // The plug-in's settings dialog (function 1) or about box (0), guarded
    // like every call: a plug-in that faults in it leaves `parent` usable.
    int ConfigurationDlg(int index, HWND parent, int function);
    // Whether the plug-in at `index` faulted during this run (it is then
    // never called again until the program starts anew).
    bool HasFaulted(int index) const;
    const CSPIPlugin* GetPlugin(int index) const;

    // Null restores the default callback (which never aborts); returns the
    // previous callback, or null when it was the default.
    SPIProgressCallback SetProgressCallback(SPIProgressCallback callback);
    void SetProgressUserValue(LONG_PTR value) { m_progressUserValue = value; }

    // Decodes a picture file with the first enabled image plug-in that takes
    // it.  On 0 the caller owns *info and *bits, both checked against their
    // sizes.  `pictureInfo` may be null.  When plug-ins take the picture but
    // none decodes it, the code is the first one's failure (3 for blocks
    // that do not fit); 2 only when no plug-in takes it.  The file is
    // opened sharing reading, writing and deleting, as for archives.
    int DecodeFile(const std::string& path, HLOCAL* info, HLOCAL* bits, PictureInfo* pictureInfo = nullptr);
    // The same from a memory block holding a whole picture file (which stays
    // the caller's); `name` is only shown to IsSupported.
    int DecodeMemory(const std::string& name, HLOCAL data, HLOCAL* info, HLOCAL* bits,
                     PictureInfo* pictureInfo = nullptr);
    // Extracts one member into a new memory block that the caller owns.
    int ExtractFile(const std::string& archivePath, const std::string& memberPath, HLOCAL* member);
    // Appends the members of an archive to `list`.
    int GetArcFileList(const std::string& archivePath, ArcFileList* list);

    // Every plug-in file loaded so far, accepted or not.
    std::vector<std::string> loadedPaths;
    // Plug-in types this host takes: image or archive.
    uint8_t typeMask = kSpiImage | kSpiArchive;

protected:
    static constexpr int kMaxSupportEntries = CSPIPlugin::kMaxSupportEntries;

    // Brackets every operation that may call into plug-ins.  When the
    // outermost one ends, the user is told of each plug-in that faulted in
    // it, one box per plug-in; the boxes wait until then so that no host
    // operation is re-entered from inside a modal box halfway through.
    class FaultReportScope {
    public:
        explicit FaultReportScope(CSPISupport* host);
        ~FaultReportScope();
        FaultReportScope(const FaultReportScope&) = delete;
        FaultReportScope& operator=(const FaultReportScope&) = delete;
    private:
        CSPISupport* m_host;
        PluginCallScope m_call;  // held for the operation, let go before its boxes
    };
    // How many plug-ins have faulted so far, loading or loaded: an operation
    // that sees it grow has had its failure told by the fault box.
    int FaultsSoFar() const;

    static int __stdcall DefaultProgress(int numerator, int denominator, LONG_PTR userValue);
    bool IsUsable(int index, uint8_t type) const;

    std::vector<CSPIPlugin> m_plugins;
    SPIProgressCallback progressCallback = &CSPISupport::DefaultProgress;
    LONG_PTR m_progressUserValue = 0;
    std::string m_fileFilter;

private:
    // Offers a picture to each usable image plug-in in turn: the first that
    // takes it and returns sound blocks gives the result.  `getPicture` and
    // `getInfo` call the plug-in on the file or on the bytes in memory.
    int DecodeWithImagePlugins(const std::string& name, const char* head,
                               const std::function<int(CSPIPlugin&, HLOCAL*, HLOCAL*)>& getPicture,
                               const std::function<void(CSPIPlugin&, PictureInfo*)>& getInfo, HLOCAL* info,
                               HLOCAL* bits, PictureInfo* pictureInfo);
    void QueueFaultMessage(const std::string& fileName, const char* entry, const PluginGuard::Fault& fault);
    void ShowQueuedFaults();
    int m_operationDepth = 0;
    std::vector<std::string> m_queuedFaultMessages;
    // Files whose plug-in faulted while being loaded: not loaded again this run.
    std::vector<std::string> m_faultedPaths;
};

// The text telling the user that a plug-in faulted and is off for this run.
std::string PluginFaultMessage(const std::string& fileName, const char* entry, const PluginGuard::Fault& fault);
