#pragma once
// A plug-in host over a folder of the dialog test plug-ins (mg_*.spi), with
// its settings and profile in memory.
#include <memory>
#include <string>

#include "TestSupport.h"
#include "plugin/CSPIControl.h"
#include "plugin/PluginTestSupport.h"

struct ManagePluginHost {
    // Installs the four dialog test plug-ins; `storedDisabled` is written as
    // "DisableSPIs" before the host starts (nothing when null).
    explicit ManagePluginHost(bool pluginsOn = true, const char* storedDisabled = nullptr);

    TempDir dir;
    TestSettings settings;
    std::unique_ptr<CSPIControl> host;

    int Index(const std::string& fileName) const { return IndexOf(*host, fileName); }
    std::string Stored() { return settings.profile.GetString("Settings", "DisableSPIs", "<absent>"); }
};

// Calls one of a test plug-in's exports that takes no arguments.
template <class Result>
Result CallFixture(const CSPISupport& host, int index, const char* name) {
    const CSPIPlugin* plugin = host.GetPlugin(index);
    if (!plugin || !plugin->module) return Result();
    auto fn = reinterpret_cast<Result(__stdcall*)()>(
        reinterpret_cast<void*>(GetProcAddress(plugin->module.get(), name)));
    return fn ? fn() : Result();
}
