#pragma once
// The desktop's own values for a display style.
#include "list/DisplayStyle.h"

// "TileWallPaper" and "WallpaperStyle" for a display style.
struct DesktopStyleValues { const char* tile; const char* style; };
DesktopStyleValues DesktopValuesFor(DisplayStyle style);
