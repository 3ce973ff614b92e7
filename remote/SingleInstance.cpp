#include "remote/SingleInstance.h"

SingleInstance::SingleInstance(const wchar_t* mutexName) {
    m_mutex.reset(CreateMutexW(nullptr, FALSE, mutexName));
    DWORD error = GetLastError();
    if (m_mutex) {
        m_first = error != ERROR_ALREADY_EXISTS;
    } else {
        // The name exists but may not be opened: someone holds it.  Any
        // other failure lets the program run rather than not start at all.
        m_first = error != ERROR_ACCESS_DENIED;
    }
}

UINT AlreadyRunningMessage() {
    static const UINT message = RegisterWindowMessageW(L"VandrelSoftware.Tavrin.AlreadyRunning");
    return message;
}

bool NotifyRunningInstance(const wchar_t* trayClassName, DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        // The running copy may hold the name but not have its window yet.
        if (HWND tray = FindWindowW(trayClassName, nullptr))
            return PostMessageW(tray, AlreadyRunningMessage(), 0, 0) != FALSE;
        if (GetTickCount() - start >= waitMs) return false;
        Sleep(50);
    }
}
