#pragma once
// Scoped owners for Windows handles, device contexts, selected GDI objects
// and local memory blocks, so every early return releases what it took.
#include <windows.h>

#include <utility>

template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : m_value(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& o) noexcept : m_value(o.release()) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    T get() const { return m_value; }
    explicit operator bool() const { return Traits::IsValid(m_value); }
    T release() { return std::exchange(m_value, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) {
        if (Traits::IsValid(m_value)) Traits::Close(m_value);
        m_value = value;
    }
    T* receive() { reset(); return &m_value; }

private:
    T m_value = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
template <typename G>
struct GdiObjectTraits {
    static G Invalid() { return nullptr; }
    static bool IsValid(G h) { return h != nullptr; }
    static void Close(G h) { DeleteObject(h); }
};
struct MemoryDCTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct LocalMemoryTraits {
    static HLOCAL Invalid() { return nullptr; }
    static bool IsValid(HLOCAL h) { return h != nullptr; }
    static void Close(HLOCAL h) { LocalFree(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueResource<HANDLE, FindHandleTraits>;
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueBitmap = UniqueResource<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueMemoryDC = UniqueResource<HDC, MemoryDCTraits>;
using UniqueLocal = UniqueResource<HLOCAL, LocalMemoryTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;

// Ownership of a mutex, waited for at most `waitMs` and given back at scope
// end.  A mutex whose owner ended without giving it back (WAIT_ABANDONED) is
// owned all the same: nobody else holds it any more.
class MutexOwnership {
public:
    MutexOwnership(HANDLE mutex, DWORD waitMs) : m_mutex(mutex) {
        if (!mutex) return;
        const DWORD result = WaitForSingleObject(mutex, waitMs);
        m_owned = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~MutexOwnership() { if (m_owned) ReleaseMutex(m_mutex); }
    MutexOwnership(const MutexOwnership&) = delete;
    MutexOwnership& operator=(const MutexOwnership&) = delete;
    bool owned() const { return m_owned; }
private:
    HANDLE m_mutex;
    bool m_owned = false;
};

// A window's device context, released at scope end.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
    ~WindowDC() { if (m_dc) ReleaseDC(m_hwnd, m_dc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }
private:
    HWND m_hwnd;
    HDC m_dc;
};

// An object selected into a DC; the previous one goes back at scope end.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : m_dc(dc), m_previous(dc && obj ? SelectObject(dc, obj) : nullptr) {}
    ~ScopedSelect() { if (m_previous && m_previous != HGDI_ERROR) SelectObject(m_dc, m_previous); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    bool ok() const { return m_previous != nullptr && m_previous != HGDI_ERROR; }
private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A locked local memory block, unlocked at scope end.
class LocalLockGuard {
public:
    explicit LocalLockGuard(HLOCAL block) : m_block(block), m_data(block ? LocalLock(block) : nullptr) {}
    ~LocalLockGuard() { if (m_data) LocalUnlock(m_block); }
    LocalLockGuard(const LocalLockGuard&) = delete;
    LocalLockGuard& operator=(const LocalLockGuard&) = delete;
    void* data() const { return m_data; }
    // The block's size, or 0 when it is not a valid block.
    size_t size() const { return m_data ? LocalSize(m_block) : 0; }
private:
    HLOCAL m_block;
    void* m_data;
};
