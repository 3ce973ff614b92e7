#include "plugin/PluginCallLock.h"

#include <windows.h>

namespace {
CRITICAL_SECTION& Lock() {
    // Made on first use (thread-safe static): nothing runs before main that needs it.
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    return *lock;
}
}  // namespace

namespace plugin_call_lock {
void Enter() { EnterCriticalSection(&Lock()); }
void Leave() { LeaveCriticalSection(&Lock()); }
}  // namespace plugin_call_lock
