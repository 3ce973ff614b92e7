#pragma once
// Makes one entry the desktop wallpaper: records the choice, starts the
// change effect when asked, writes the picture as a bitmap file when a
// conversion is needed, sets the desktop's tiling and style values and tells
// the system to load the new wallpaper.
#include <windows.h>

#include <string>
#include <vector>

#include "desktop/DesktopStyleValues.h"
#include "list/CWallPaperData.h"

class AppContext;
class MonitorTargets;

class WallPaperApplier {
public:
    // Removes what an interrupted write of the wallpaper file left behind.
    explicit WallPaperApplier(AppContext& context);

    // True when the system accepted the new wallpaper.  A picture that does
    // not decode is tried once and reported once.
    bool Apply(const CWallPaperData& entry);
    // The wallpaper of the last run, at start: the picture is loaded first,
    // the effect stays off, and a missing picture gives at most one message.
    bool ApplyAtStartUp(const CWallPaperData& entry);
    // After the monitors changed: lays the desktop out again where the
    // program does that itself (fit, fill, a wallpaper per monitor).
    bool Relayout();
    // The monitors and their own wallpapers; none: one picture for the whole desktop.
    void SetMonitorTargets(MonitorTargets* monitors) { m_monitors = monitors; }
    // Writes `picture` (the cache's) as a BMP file, scaled to the screen when asked.
    bool WriteWallpaperBitmap(HBITMAP picture, const std::string& path, bool scaleToScreen);

    // Where the temporary wallpaper file goes: the program's folder, or the
    // user's application-data folder when the program's folder cannot be written.
    std::string TemporaryWallpaperPath();
    static constexpr const char* kTempFileName = "TVTemp.bmp";

    // The system's wallpaper call (SystemParametersInfoW); tests replace it.
    using SetWallpaperFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);
    static SetWallpaperFn s_setWallpaper;

private:
    // `decodeFailed`: the picture was already tried and did not decode;
    // `failureShown`: and a message said so.
    // `keepMonitors`: `entry` is the wallpaper of all monitors, and each
    // monitor's own choice stays (start-up, a change of the monitors).
    bool Apply(const CWallPaperData& entry, bool effect, bool decodeFailed = false, bool failureShown = false,
               bool keepMonitors = false);
    static std::string TemporaryPathFor(const std::string& programDirectory);
    // Writes the desktop's style values and hands the file to the system;
    // a refusal is told, naming `named`.
    bool SetDesktopWallpaper(const std::string& wallpaperFile, const DesktopStyleValues& values,
                             const std::string& named);
    // At start: sets the file of the last run again when its stamp says it is
    // what this start would draw.  False when it is not (or cannot be set).
    bool ReapplyCurrentFile();

    AppContext& m_context;
    MonitorTargets* m_monitors = nullptr;
    // The folder last found writable, so the test is not made at every change.
    std::string m_checkedFolder, m_temporaryPath;
};
