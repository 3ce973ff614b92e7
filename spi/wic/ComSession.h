#pragma once
// COM for one call of the plug-in: initialised on the calling thread only
// when it is not already (and balanced when it is), the imaging factory,
// and a small owning pointer for COM interfaces.
#include <windows.h>
#include <wincodec.h>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For functions that hand out a new reference.
    T** Out() {
        Reset();
        return &m_p;
    }
    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }
private:
    T* m_p = nullptr;
};

class ComSession {
public:
    ComSession();
    ~ComSession();
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;
    // Null when COM or the imaging component is not available.
    IWICImagingFactory* factory() const { return m_factory.get(); }
    HRESULT error() const { return m_error; }
private:
    HRESULT m_init;
    HRESULT m_error = S_OK;
    ComPtr<IWICImagingFactory> m_factory;  // released before COM is left
};
