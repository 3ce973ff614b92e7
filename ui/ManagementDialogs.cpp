#include "ui/ManagementDialogs.h"

#include "ui/PictureCacheDialog.h"
#include "context/AppContext.h"
#include "plugin/CSPIControl.h"
#include "plugin/PluginDialogs.h"

void RunPictureCacheManager(AppContext& context, HWND parent) { ShowPictureCacheDialog(context, parent); }

void RunPluginSettings(AppContext& context, HWND parent) {
    context.cache().pluginHost().ShowSettingDialog(parent);
}
