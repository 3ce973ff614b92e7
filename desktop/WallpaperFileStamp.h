#pragma once
// What the wallpaper file on disk was made from: the pictures and their
// files' sizes and times, the styles, the monitors, the options that change
// the drawing, and the file itself.  It is saved after every change the
// system took.  At the next start an equal stamp means the file is exactly
// the picture the start would draw, so it is set again as it is and nothing
// is decoded.
#include <string>

#include "desktop/DesktopStyleValues.h"

class AppContext;
class MonitorTargets;

// Profile value (section "Settings") of the last stamp.
constexpr const char* kWallpaperStampValue = "WallpaperFileStamp";

// The stamp of `wallpaperFile`, set with `values`, for the wallpaper the
// settings and the monitors' own choices name now; empty when the file or
// one of the pictures cannot be read.
std::string WallpaperFileStamp(AppContext& context, const MonitorTargets* monitors, const std::string& wallpaperFile,
                               const DesktopStyleValues& values);

// "size:time" of a file's last write, or "-" when it cannot be read.
std::string FileFactsOf(const std::string& path);
