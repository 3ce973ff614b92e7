#include "desktop/WallPaperApplier.h"

#include <shlobj.h>

#include <vector>

#include "desktop/ChangeEffectWindow.h"
#include "desktop/DesktopLayout.h"
#include "desktop/DesktopStyleValues.h"
#include "desktop/WallpaperFileStamp.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/BitmapFileImage.h"
#include "image/CWallBitmapList.h"
#include "context/AppContext.h"
#include "util/FileIO.h"
#include "util/RegistryKey.h"

namespace {
const char* const kNoPictureMessage = "画像[%s]を読み込めなかったため、壁紙を変更しませんでした。";
const char* const kWriteFailedMessage = "壁紙ファイル[%s]を書き込めませんでした。";
const char* const kDesktopKeyMessage =
    "デスクトップの設定を開けなかったため、壁紙[%s]に変更できませんでした。";
const char* const kRefusedMessage = "システムが壁紙[%s]を受け付けませんでした。";

std::string Format(const char* pattern, const std::string& value) {
    std::string text = pattern;
    text.replace(text.find("%s"), 2, value);
    return text;
}

// Whether a file can be created in `folder`.
bool FolderIsWritable(const std::string& folder) {
    std::wstring probe = ToWide(folder) + L"tavrin-write-test.tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}
}  // namespace

bool WallPaperApplier::WriteWallpaperBitmap(HBITMAP picture, const std::string& path, bool scaleToScreen) {
    if (!picture) return false;
    WindowDC desktop(GetDesktopWindow());
    BITMAP info = {};
    if (!desktop || !GetObjectW(picture, sizeof(info), &info)) return false;
    std::string image;
    DWORD error = 0;

    // A picture already in the screen's colour format is written as it is:
    // copying it into a bitmap of the same size and format changes nothing.
    int screenBits = GetDeviceCaps(desktop.get(), BITSPIXEL) * GetDeviceCaps(desktop.get(), PLANES);
    if (!scaleToScreen && info.bmBitsPixel * info.bmPlanes == screenBits)
        return BuildBitmapFileImage(desktop.get(), picture, &image) && ReplaceFileContents(path, image, &error);

    UniqueMemoryDC source(CreateCompatibleDC(desktop.get()));
    UniqueMemoryDC target(CreateCompatibleDC(desktop.get()));
    if (!source || !target) return false;
    int width = info.bmWidth, height = info.bmHeight;
    if (scaleToScreen) {
        if (m_context.settings().enableHalfTone) {
            SetStretchBltMode(target.get(), HALFTONE);
            SetBrushOrgEx(target.get(), 0, 0, nullptr);
        }
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    // The screen's colour depth, as the desktop will show it.
    UniqueBitmap scaled(CreateCompatibleBitmap(desktop.get(), width, height));
    if (!scaled) return false;
    {
        ScopedSelect selectPicture(source.get(), picture);
        ScopedSelect selectTarget(target.get(), scaled.get());
        if (!StretchBlt(target.get(), 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY))
            return false;
    }
    // GetDIBits wants the bitmap out of every context.
    return BuildBitmapFileImage(desktop.get(), scaled.get(), &image) && ReplaceFileContents(path, image, &error);
}

std::string WallPaperApplier::TemporaryWallpaperPath() {
    const std::string& programDirectory = m_context.settings().programDirectory;
    if (!m_temporaryPath.empty() && m_checkedFolder == programDirectory) return m_temporaryPath;
    m_checkedFolder = programDirectory;
    m_temporaryPath = TemporaryPathFor(programDirectory);
    return m_temporaryPath;
}

std::string WallPaperApplier::TemporaryPathFor(const std::string& programDirectory) {
    if (!programDirectory.empty() && FolderIsWritable(programDirectory)) return programDirectory + kTempFileName;
    wchar_t appData[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData))) {
        std::wstring folder = std::wstring(appData) + L"\\Tavrin";
        CreateDirectoryW(folder.c_str(), nullptr);
        return PathToCp932(folder) + "\\" + kTempFileName;
    }
    return programDirectory + kTempFileName;
}

WallPaperApplier::WallPaperApplier(AppContext& context) : m_context(context) {
    // A write of the wallpaper file cut short in an earlier run leaves its
    // temporary file in one of the two places the file can go.
    const std::string& programDirectory = m_context.settings().programDirectory;
    if (!programDirectory.empty()) RemoveLeftoverTemporary(programDirectory + kTempFileName);
    wchar_t appData[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData)))
        RemoveLeftoverTemporary(PathToCp932(std::wstring(appData) + L"\\Tavrin\\") + kTempFileName);
}

WallPaperApplier::SetWallpaperFn WallPaperApplier::s_setWallpaper = &SystemParametersInfoW;

bool WallPaperApplier::Apply(const CWallPaperData& entry) { return Apply(entry, m_context.settings().changingEffect); }

bool WallPaperApplier::ApplyAtStartUp(const CWallPaperData& entry) {
    // The file the last run set is still what this start would draw: set it
    // again as it is, with nothing decoded.
    const AppSettings& settings = m_context.settings();
    if (entry.m_strPath == settings.selectedWallPaper && entry.m_nStyle == settings.viewStyle && ReapplyCurrentFile())
        return true;
    // The picture is decoded once, before the apply; the apply does not try again.
    unsigned shownBefore = ShownMessageCount();
    // Monitors with wallpapers of their own may be all there is to restore.
    bool loaded = entry.m_strPath.empty() || m_context.cache().Load(entry.m_strPath);
    return Apply(entry, false, !loaded, !loaded && ShownMessageCount() != shownBefore, true);
}

bool WallPaperApplier::Relayout() {
    const AppSettings& settings = m_context.settings();
    if (OwnLayoutFor(settings.viewStyle, m_monitors, nullptr, true) != OwnLayout::None)
        return Apply(CWallPaperData(std::string(), settings.selectedWallPaper, settings.viewStyle), false, false, false,
                     true);
    return true;
}

bool WallPaperApplier::Apply(const CWallPaperData& entry, bool effect, bool decodeFailed, bool failureShown,
                             bool keepMonitors) {
    AppSettings& settings = m_context.settings();
    CWallBitmapList& cache = m_context.cache();
    // A choice for one monitor leaves the wallpaper of all monitors as it is.
    const MonitorInfo* target = keepMonitors || !m_monitors ? nullptr : m_monitors->target();
    const MonitorChoice allMonitors{settings.selectedWallPaper, settings.viewStyle};

    // A picture that fails to decode is tried once and reported once in an
    // apply: the decoder may have shown its own message already.
    // The picture is held from its load to the end of the apply: the cache
    // never releases it under the effect or the write.
    PictureHold held;
    auto load = [&] {
        if (decodeFailed) return false;
        unsigned shownBefore = ShownMessageCount();
        held = cache.LoadAndHold(entry.m_strPath);
        decodeFailed = !held;
        failureShown = decodeFailed && ShownMessageCount() != shownBefore;
        return !decodeFailed;
    };

    // The effect captures the screen now, before the wallpaper changes under it.
    if (effect && load()) {
        // The window owns itself from here on, whether or not it could open.
        const DisplayStyle look = target ? StyleOnOneMonitor(entry.m_nStyle) : entry.m_nStyle;
        auto* window = new ChangeEffectWindow(held.bitmap(), look, settings.enableHalfTone);
        if (target) window->CoverMonitor(target->rect, target->work);
        window->Create();
    }

    std::string wallpaperFile = entry.m_strPath;
    DesktopStyleValues values = DesktopValuesFor(entry.m_nStyle);
    const OwnLayout own = OwnLayoutFor(entry.m_nStyle, m_monitors, target, keepMonitors);
    if (own != OwnLayout::None || settings.enableHalfTone || settings.enableSPI) {
        // A conversion is needed: the picture must be decoded (the menu
        // preview may have been off), then written as a bitmap file.
        // Monitors with wallpapers of their own are laid out again even
        // when there is no wallpaper for all of them.
        const bool nothingForAll = keepMonitors && entry.m_strPath.empty() && own == OwnLayout::VirtualScreen;
        if (!held && !nothingForAll) held = cache.Hold(entry.m_strPath);
        if (!held && !nothingForAll) load();
        HBITMAP picture = held.bitmap();
        if (!picture && !nothingForAll) {
            // A lack of memory was told as the decoder's code; the choice
            // that came to nothing is told as well.
            if (!failureShown || cache.lastLoadLackedMemory())
                ShowAppMessage(Format(kNoPictureMessage, entry.m_strPath));
            return false;
        }
        wallpaperFile = TemporaryWallpaperPath();
        bool scale = entry.m_nStyle == kStyleStretch && settings.enableHalfTone;
        bool written;
        if (own == OwnLayout::VirtualScreen) {
            DesktopLayout layout{m_monitors->monitors(), VirtualScreenRect(), target,
                                 MonitorChoice{entry.m_strPath, entry.m_nStyle}, allMonitors, keepMonitors};
            written = WriteVirtualScreen(m_context, layout, *m_monitors, wallpaperFile);
            values = kTiledValues;
        } else if (own == OwnLayout::OneScreen) {
            written = WriteOneScreen(picture, entry.m_nStyle, wallpaperFile);
            values = DesktopValuesFor(kStyleCentre);
        } else {
            written = WriteWallpaperBitmap(picture, wallpaperFile, scale);
        }
        if (!written) {
            ShowAppMessage(Format(kWriteFailedMessage, wallpaperFile));
            return false;
        }
    }

    if (!SetDesktopWallpaper(wallpaperFile, values, entry.m_strPath.empty() ? wallpaperFile : entry.m_strPath))
        return false;
    // Only a wallpaper the system took becomes the selection: the menu ticks
    // it and the next start applies it again.
    if (!target) {
        settings.selectedWallPaper = entry.m_strPath;
        settings.viewStyle = entry.m_nStyle;
    }
    if (!keepMonitors && m_monitors) RememberMonitorChoice(*m_monitors, target, entry);
    // What the file was made from, for the next start.
    settings.profile().WriteString("Settings", kWallpaperStampValue,
                                   WallpaperFileStamp(m_context, m_monitors, wallpaperFile, values));
    return true;
}

bool WallPaperApplier::SetDesktopWallpaper(const std::string& wallpaperFile, const DesktopStyleValues& values,
                                           const std::string& named) {
    RegistryKey desktop;
    if (desktop.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop") != ERROR_SUCCESS) {
        ShowAppMessage(Format(kDesktopKeyMessage, named));
        return false;
    }
    desktop.SetString("TileWallPaper", values.tile);
    desktop.SetString("WallpaperStyle", values.style);
    desktop.Close();

    std::wstring file = ToWide(wallpaperFile);
    std::vector<wchar_t> buffer(file.begin(), file.end());
    buffer.resize(std::max<size_t>(buffer.size() + 1, MAX_PATH), L'\0');
    if (!s_setWallpaper(SPI_SETDESKWALLPAPER, 0, buffer.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE)) {
        ShowAppMessage(Format(kRefusedMessage, named));
        return false;
    }
    return true;
}

bool WallPaperApplier::ReapplyCurrentFile() {
    AppSettings& settings = m_context.settings();
    const std::string stored = settings.profile().GetString("Settings", kWallpaperStampValue, "");
    if (stored.empty()) return false;
    const OwnLayout own = OwnLayoutFor(settings.viewStyle, m_monitors, nullptr, true);
    const bool converted = own != OwnLayout::None || settings.enableHalfTone || settings.enableSPI;
    const std::string file = converted ? TemporaryWallpaperPath() : settings.selectedWallPaper;
    const DesktopStyleValues values = own == OwnLayout::VirtualScreen ? kTiledValues
                                      : own == OwnLayout::OneScreen  ? DesktopValuesFor(kStyleCentre)
                                                                     : DesktopValuesFor(settings.viewStyle);
    if (file.empty()) return false;
    const std::string stamp = WallpaperFileStamp(m_context, m_monitors, file, values);
    if (stamp.empty() || stamp != stored) return false;
    return SetDesktopWallpaper(file, values, settings.selectedWallPaper.empty() ? file : settings.selectedWallPaper);
}
