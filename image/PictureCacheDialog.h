#pragma once
// The picture cache management dialog (template 136): every cached picture
// with its size and reference count, a preview of the selected one, check
// all / invert, reload all, and OK unloading the ticked pictures.
#include <windows.h>

class AppContext;

// Runs the dialog modally over `parent`; true when it ended with OK.
bool ShowPictureCacheDialog(AppContext& context, HWND parent);
