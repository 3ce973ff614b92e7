#pragma once
// Windows a plug-in leaves behind when it faults: a dialog whose modal loop
// was cut short stays on screen, and every message to it would run the
// faulted plug-in's code again, outside any guard.
#include <windows.h>

// Closes this thread's top-level windows whose window or dialog procedure
// lies in `module`, after pointing every procedure of theirs (and of their
// child windows) that lies there at the system's default, so that closing
// them runs none of the module's code.  Returns how many were closed.
int CloseWindowsOfModule(HMODULE module);
