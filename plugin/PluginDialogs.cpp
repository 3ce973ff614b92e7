#include "plugin/PluginDialogs.h"

#include <cstdint>
#include <cstring>

#include "plugin/CFileVersionInfo.h"
#include "plugin/CSPIControl.h"
#include "plugin/CSPIStatusDlg.h"
#include "plugin/PluginStatusReport.h"

int CallPluginConfiguration(CSPISupport& host, int index, HWND parent) {
    // Through the host, which answers for a plug-in without the export.
    return host.ConfigurationDlg(index, parent, 1);
}

namespace {

template <class F>
uint32_t Address(F function) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(function));
}

}  // namespace

std::string BuildPluginStatusReport(CSPISupport& host, int index) {
    PluginStatusData data;
    const CSPIPlugin* plugin = host.GetPlugin(index);
    if (plugin) {
        data.modulePath = plugin->modulePath;
        data.apiVersion = std::string(plugin->apiVersion, strnlen(plugin->apiVersion, 4));
        data.entryPoints = {Address(plugin->pGetPluginInfo), Address(plugin->pIsSupported),
                            Address(plugin->pGetPictureInfo), Address(plugin->pGetPicture),
                            Address(plugin->pGetPreview), Address(plugin->pGetArchiveInfo),
                            Address(plugin->pGetFileInfo), Address(plugin->pGetFile),
                            Address(plugin->pConfigurationDlg)};
    }
    // One byte more than the length the plug-in is given, for the final zero.
    char description[261];
    host.GetPluginInfo(index, 1, description, sizeof(description));
    data.description = description;
    std::string typeName, pattern;
    for (int n = 0; n < CSPIPlugin::kMaxSupportEntries && host.GetSupportEntry(index, n, &typeName, &pattern); ++n) {
        data.patterns.push_back(pattern);
        data.typeNames.push_back(typeName);
    }
    CFileVersionInfo version;
    if (plugin) version.Load(plugin->modulePath);
    for (const char* key : kVersionKeys) data.versionValues.emplace_back(key, version.Query(key));
    return FormatPluginStatus(data);
}

void ShowPluginStatus(CSPISupport& host, int index, HWND parent) {
    const CSPIPlugin* plugin = host.GetPlugin(index);
    if (!plugin) return;
    CSPIStatusDlg dialog(BuildPluginStatusReport(host, index), plugin->modulePath);
    dialog.DoModal(parent);
}
