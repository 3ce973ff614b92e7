#pragma once
// What the automatic change waits for: a locked session (the user is away)
// and a full-screen program in the foreground (a game, a presentation).
#include <windows.h>

// True when the input desktop is not the user's (the session is locked, or
// the secure desktop shows).
bool SessionIsLocked();

// True when the foreground window belongs to another program and covers its
// whole monitor.  The desktop and the shell's own windows do not count.
bool FullScreenProgramInFront();

// Whether `window` covers all of `monitor`.
bool CoversMonitor(const RECT& window, const RECT& monitor);
