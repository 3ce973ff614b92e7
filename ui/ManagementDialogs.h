#pragma once
// The two management dialogs the settings dialog opens at once: the picture
// cache dialog and the plug-in settings dialog.  What they change takes
// effect at once, whatever the settings dialog ends with.
#include <windows.h>

class AppContext;

void RunPictureCacheManager(AppContext& context, HWND parent);
void RunPluginSettings(AppContext& context, HWND parent);
