#include "framework/Window.h"

#include "framework/TextBridge.h"

Window::~Window() {
    if (m_hwnd) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

bool Window::RegisterPlainClass(const wchar_t* className) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, className, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Window::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

bool Window::CreateEx(DWORD exStyle, const wchar_t* className, const std::string& title, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menu) {
    if (!RegisterPlainClass(className)) return false;
    HWND hwnd = CreateWindowExW(exStyle, className, ToWide(title).c_str(), style, x, y, width, height, parent, menu,
                                GetModuleHandleW(nullptr), this);
    return hwnd != nullptr;
}

bool Window::Destroy() {
    return m_hwnd && DestroyWindow(m_hwnd);
}

Window* Window::FromHandle(HWND hwnd) {
    return reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT Window::Default() {
    return DefWindowProcW(m_hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = FromHandle(hwnd);
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    CurrentMessage saved = self->m_current;  // messages nest (SendMessage)
    self->m_current = CurrentMessage{message, wParam, lParam};
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    self->m_current = saved;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
        self->PostNcDestroy();
    }
    return result;
}
