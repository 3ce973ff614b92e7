#pragma once
// Window base: the object's pointer is stored at WM_NCCREATE, and each
// message goes to one virtual HandleMessage.  Derived windows dispatch with a
// small static table of {message, member handler} and {command id, member}.
#include <windows.h>

#include <cstddef>
#include <string>

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return m_hwnd; }

    // Registers a plain class (no style, cursor, brush or icon) once.
    static bool RegisterPlainClass(const wchar_t* className);
    // title: code page 932.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const std::string& title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menu);
    bool Destroy();

    static Window* FromHandle(HWND hwnd);

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message being handled.
    LRESULT Default();
    // Called after WM_NCDESTROY, when the window is gone; may delete this.
    virtual void PostNcDestroy() {}

    struct CurrentMessage { UINT message; WPARAM wParam; LPARAM lParam; };
    const CurrentMessage& current() const { return m_current; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    CurrentMessage m_current = {0, 0, 0};
};

// Message tables.
template <class T>
struct MessageEntry {
    UINT message;
    LRESULT (T::*handler)(WPARAM, LPARAM);
};

template <class T>
struct CommandEntry {
    UINT id;
    void (T::*handler)();
};

template <class T, size_t N>
bool DispatchMessageTable(T* self, const MessageEntry<T> (&table)[N], UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* result) {
    for (const auto& entry : table) {
        if (entry.message == message) {
            *result = (self->*entry.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

template <class T, size_t N>
bool DispatchCommandTable(T* self, const CommandEntry<T> (&table)[N], UINT id) {
    for (const auto& entry : table) {
        if (entry.id == id) {
            (self->*entry.handler)();
            return true;
        }
    }
    return false;
}
