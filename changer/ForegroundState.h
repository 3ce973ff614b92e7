#pragma once
// What the automatic change waits for: a locked session (the user is away)
// and a full-screen program in the foreground (a game, a presentation).
#include <windows.h>
#include <shellapi.h>

// True when the input desktop is not the user's (the session is locked, or
// the secure desktop shows).
bool SessionIsLocked();

// True when the system says a full-screen program, a Direct3D game or a
// presentation is running, or when the foreground window of another program
// is a borderless one covering its whole monitor.  The desktop, the shell's
// own windows and ordinary (maximised) windows do not count.
bool FullScreenProgramInFront();

// Whether the system's notification state is one a change must not disturb.
bool NotificationStateHoldsBack(QUERY_USER_NOTIFICATION_STATE state);

// Whether a window of `style` (GWL_STYLE), maximised or not, with rectangle
// `window` is a full-screen one on `monitor`: borderless and covering it.  A
// maximised window overhangs its monitor by its frame where no taskbar
// shows, and is still an ordinary window.
bool IsBorderlessFullScreen(LONG_PTR style, bool maximised, const RECT& window, const RECT& monitor);

// Whether `window` covers all of `monitor`.
bool CoversMonitor(const RECT& window, const RECT& monitor);
