#pragma once
// The program's one plug-in host: the plug-in list of CSPISupport tied to
// the settings (whether plug-ins are on, where they live), the user's
// disabled list in the profile, and picture loading for the picture cache.
#include <windows.h>

#include <string>
#include <vector>

#include "settings/AppSettings.h"
#include "plugin/CSPISupport.h"

// Where a host finds its plug-ins, copied out of the settings for a host
// that lives on another thread.
struct PluginSource {
    bool on = false;
    std::string directory;
    std::string disabledList;  // as "DisableSPIs" holds it
};

class CSPIControl : public CSPISupport {
public:
    // The settings' plug-ins as they stand now.
    static PluginSource SourceOf(AppSettings& settings);
    // Builds an empty host; scans the plug-in directory when plug-ins are on
    // and applies the stored disabled list, at once or, with `scanNow`
    // false, when the plug-ins are first needed (EnsureScanned).
    explicit CSPIControl(AppSettings* settings, bool scanNow = true);
    // A quiet host of `source`'s plug-ins for the thread that makes previews
    // ahead: scanned when first needed, it never writes the profile and
    // reports no failed decode (the picture says so when it is shown).  A
    // plug-in's fault is still told.
    explicit CSPIControl(const PluginSource& source);
    // Stores the disabled list, then unloads every plug-in in index order.
    ~CSPIControl() override;

    // True when plug-ins are on and the scan of SPIPath added at least one.
    bool ReloadFromSettings();
    // The first scan, when it has not been made yet.  Loading plug-ins costs
    // a start their libraries and what those load: a start that decodes
    // nothing loads none.
    void EnsureScanned();
    // Applies "DisableSPIs" to the plug-ins held now.
    bool LoadDisabledList();
    // Writes "DisableSPIs"; whether the profile took it.
    bool SaveDisabledList();

    // Texts valid until the next call of the same operation.
    const std::string& GetOpenFilter(bool withArchives);
    const std::string& GetImagePatterns();
    // Whether a file name, or a bare extension such as ".lzh", names an archive
    // an enabled archive plug-in lists.
    bool IsArchiveFile(const std::string& name);

    // Runs the plug-in settings dialog modally over `parent`.  OK writes the
    // enabled flags and "DisableSPIs" at once; true when it ended with OK.
    bool ShowSettingDialog(HWND parent);

    // Decodes a picture file or archive member path ("archive|member").  The
    // caller owns the bitmap; null when there is none.  With `memoryCode`
    // given, a failure for lack of memory (a decoder's code 4, or no memory
    // for the screen bitmap) is not reported but set there as 4, so the
    // caller can make room and try again; other failures are reported as
    // always.  Without it every failure is reported.
    HBITMAP LoadPicture(const std::string& path, int* memoryCode = nullptr);
    // The box of a failed decode: "CSPIControl::LoadPicture occured error!"
    // with the code and its text.
    void ReportLoadError(int code);

    const std::string& pluginDirectory() const { return m_pluginDirectory; }

private:
    bool PluginsOn() const { return m_settings ? m_settings->enableSPI : m_source.on; }
    // The names of "DisableSPIs", lower-cased, empty pieces dropped.
    std::vector<std::string> StoredDisabledNames() const;
    // Whether the stored list has been compared with plug-ins: a host that
    // started with none compares it at the first scan that finds some.
    bool m_storedListApplied = false;
    bool m_scanned = false;

    std::string m_pluginDirectory;
    AppSettings* m_settings;
    PluginSource m_source;  // without settings
    bool m_quiet = false;
    std::string m_openFilter;
    std::string m_imagePatterns;
};

// Makes a bitmap in the display's format from a decoder's two blocks, after
// checking them against their sizes; null when they do not fit or the system
// cannot make it (then `systemRefused`, when given, is set).  The blocks stay
// the caller's.
HBITMAP MakeBitmapFromBlocks(HLOCAL info, HLOCAL bits, bool* systemRefused = nullptr);
