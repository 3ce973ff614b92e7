#pragma once
// The common controls (list views, tool tips, image lists) are loaded when
// the first window that uses them is made, not at start: the tray icon and its
// menu need none of them.

// Registers the common-control window classes once per process (the library
// itself is mapped at this first call).  False when the library would not
// initialise; the dialogs then fail to create their controls, as they would
// have at start.
bool EnsureCommonControls();
