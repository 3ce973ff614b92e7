#pragma once
// What the tray window does after the settings dialog has closed, by OK or
// cancel: the preview's halftone, the settings to the profile, the plug-ins
// from the new settings and, when the list-file path changed, the switch to
// the new list file.
class AppContext;
class PreviewWindow;

void AfterSettingsDialog(AppContext& context, PreviewWindow& preview, bool listPathChanged);

// Saves the list under its current path, then loads it from the path in the
// settings.  The user's list is never lost: when the old list cannot be
// saved, or the new file cannot be opened, the old list file stays in use
// (and in the settings) and the user is told.  True when switched.
bool SwitchListFile(AppContext& context);
