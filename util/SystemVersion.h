#pragma once
// Windows 2000 or later (NT platform, major version above 4): what the fade
// and halftone scaling need.
bool IsWindows2000OrLater();
