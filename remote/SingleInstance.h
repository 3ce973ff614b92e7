#pragma once
// One Tavrin per log-on session.  Each running copy keeps its own list in
// memory and saves it at exit, so a second copy would silently undo the
// first one's edits: a second start finds the running one, asks it to say
// so, and ends before it reads or writes anything.
#include <windows.h>

#include "framework/Handles.h"

// A named mutex in the session's own namespace ("Local\").
constexpr const wchar_t* kInstanceMutexName = L"Local\\VandrelSoftware.Tavrin.Running";
// Held by a command (tavrin.exe /add ...) while it looks for the running
// copy, starts one when none runs and waits for its window: a copy just
// started has not made the name above yet, so two commands looking at once
// would each start one.
constexpr const wchar_t* kStartMutexName = L"Local\\VandrelSoftware.Tavrin.Starting";

class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* mutexName = kInstanceMutexName);
    // True when no other copy of the program holds the name.
    bool IsFirst() const { return m_first; }

private:
    UniqueHandle m_mutex;
    bool m_first = true;
};

// The message a second start posts to the running copy's tray window.
UINT AlreadyRunningMessage();

// Finds the running copy's tray window (waiting up to `waitMs` while it is
// still being made) and posts it AlreadyRunningMessage.  False when none is found.
bool NotifyRunningInstance(const wchar_t* trayClassName, DWORD waitMs);
