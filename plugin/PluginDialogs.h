#pragma once
// The plug-in host's dialogs as free functions over the host: the plug-in
// settings dialog (enable, configure, status) and one plug-in's status report.
#include <windows.h>

#include <string>

class CSPIControl;
class CSPISupport;

// Runs the plug-in settings dialog modally over `parent`.  OK writes the
// enabled flags and "DisableSPIs" at once; true when it ended with OK.
bool ShowPluginSettingDialog(CSPIControl& host, HWND parent);

// Shows the status report of plug-in `index` modally over `parent`.
void ShowPluginStatus(CSPISupport& host, int index, HWND parent);

// Calls plug-in `index`'s own configuration dialog (function code 1) over
// `parent`; the plug-in's answer, or the host's "not implemented" when it has none.
int CallPluginConfiguration(CSPISupport& host, int index, HWND parent);

// The status report of plug-in `index` as the status dialog shows it.
std::string BuildPluginStatusReport(CSPISupport& host, int index);
