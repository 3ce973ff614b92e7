#include "context/AppContext.h"

AppContext::AppContext(ProfileStore& profile) {
    m_settings = std::make_unique<AppSettings>(profile);
    m_list = std::make_unique<WallPaperList>();
    m_list->SetPath(m_settings->listFilePath);
    m_list->Load();
    m_cache = std::make_unique<CWallBitmapList>(m_list.get(), m_settings.get());
}

AppContext::~AppContext() {
    // The user's list and settings reach the disk before anything risky
    // runs: unloading the plug-ins runs their code, and a crash or a kill
    // there must not take the edits with it.
    m_settings->Save();
    m_list->Save();
    m_list->SetPath(std::string());  // saved: nothing left for its destructor
    m_cache.reset();     // releases every picture and the plug-in host
    m_list.reset();
    m_settings.reset();  // saves itself again: the host may have changed it while unloading
}

void AppContext::SaveAll() {
    m_settings->Save();
    m_list->Save();
    m_cache->SaveCacheFile();
}
