#pragma once
// The plug-in host's dialogs as free functions over the host: the plug-in
// settings dialog (enable, configure, status) and one plug-in's status report.
#include <windows.h>

class CSPIControl;
class CSPISupport;

// Runs the plug-in settings dialog modally over `parent`.  OK writes the
// enabled flags and "DisableSPIs" at once; true when it ended with OK.
bool ShowPluginSettingDialog(CSPIControl& host, HWND parent);

// Shows the status report of plug-in `index` modally over `parent`.
void ShowPluginStatus(CSPISupport& host, int index, HWND parent);
