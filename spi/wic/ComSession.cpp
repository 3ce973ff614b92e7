#include "ComSession.h"

ComSession::ComSession() : m_init(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
    // RPC_E_CHANGED_MODE: the thread already lives in the other apartment
    // model, which serves as well; it is left untouched.
    if (FAILED(m_init) && m_init != RPC_E_CHANGED_MODE) {
        m_error = m_init;
        return;
    }
    m_error = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               reinterpret_cast<void**>(m_factory.Out()));
    if (FAILED(m_error)) m_factory.Reset();
}

ComSession::~ComSession() {
    m_factory.Reset();
    if (SUCCEEDED(m_init)) CoUninitialize();  // S_OK and S_FALSE both count
}
