#pragma once
// Translucency for a window where the system has it (Windows 2000 or
// later): SetLayeredWindowAttributes is looked up at run time.
#include <windows.h>

#include "util/SystemVersion.h"

class LayeredWindowLoader {
public:
    explicit LayeredWindowLoader(bool systemSupportsLayers = IsWindows2000OrLater());
    ~LayeredWindowLoader();
    LayeredWindowLoader(const LayeredWindowLoader&) = delete;
    LayeredWindowLoader& operator=(const LayeredWindowLoader&) = delete;

    bool Available() const { return m_library != nullptr; }
    // Adds WS_EX_LAYERED, keeping the other extended styles.
    void MakeLayered(HWND hwnd);
    // Opacity 0 (clear) to 255 (opaque); false when unavailable or refused.
    bool SetOpacity(HWND hwnd, BYTE alpha);

private:
    using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE m_library = nullptr;
    SetLayeredFn m_setLayered = nullptr;
    HWND m_window = nullptr;
};
