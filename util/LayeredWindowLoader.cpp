#include "util/LayeredWindowLoader.h"

LayeredWindowLoader::LayeredWindowLoader(bool systemSupportsLayers) {
    if (!systemSupportsLayers) return;
    m_library = LoadLibraryW(L"user32.dll");
    if (!m_library) return;
    m_setLayered = reinterpret_cast<SetLayeredFn>(
        reinterpret_cast<void*>(GetProcAddress(m_library, "SetLayeredWindowAttributes")));
    if (!m_setLayered) {
        FreeLibrary(m_library);
        m_library = nullptr;
    }
}

LayeredWindowLoader::~LayeredWindowLoader() {
    if (m_library) FreeLibrary(m_library);
}

void LayeredWindowLoader::MakeLayered(HWND hwnd) {
    if (!Available()) return;
    LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    m_window = hwnd;
}

bool LayeredWindowLoader::SetOpacity(HWND hwnd, BYTE alpha) {
    if (!Available()) return false;
    return m_setLayered(hwnd, 0, alpha, LWA_ALPHA) != FALSE;
}
