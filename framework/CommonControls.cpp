#include "framework/CommonControls.h"

#include <windows.h>
#include <commctrl.h>

bool EnsureCommonControls() {
    // Only the message thread makes windows, so a plain flag is enough.
    static bool initialised = false;
    if (!initialised) {
        // Three-dimensional controls are what the common controls draw anyway.
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        initialised = InitCommonControlsEx(&icc) != FALSE;
    }
    return initialised;
}
