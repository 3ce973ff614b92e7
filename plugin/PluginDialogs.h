#pragma once
// What the plug-in dialogs open for one plug-in: its status report and its
// own configuration dialog.  (CSPIControl::ShowSettingDialog, which opens the
// plug-in settings dialog, is defined beside that dialog.)
#include <windows.h>

#include <string>

class CSPIControl;
class CSPISupport;

// Shows the status report of plug-in `index` modally over `parent`.
void ShowPluginStatus(CSPISupport& host, int index, HWND parent);

// Calls plug-in `index`'s own configuration dialog (function code 1) over
// `parent`; the plug-in's answer, or the host's "not implemented" when it has none.
int CallPluginConfiguration(CSPISupport& host, int index, HWND parent);

// The status report of plug-in `index` as the status dialog shows it.
std::string BuildPluginStatusReport(CSPISupport& host, int index);
