#include "list/AppContext.h"

AppContext::AppContext(ProfileStore& profile) {
    m_settings = std::make_unique<AppSettings>(profile);
    m_list = std::make_unique<WallPaperList>();
    m_list->SetPath(m_settings->listFilePath);
    m_list->Load();
    m_cache = std::make_unique<CWallBitmapList>(m_list.get(), m_settings.get());
}

AppContext::~AppContext() {
    m_cache.reset();     // releases every picture and the plug-in host
    m_list.reset();      // saves itself
    m_settings.reset();  // saves itself
}

void AppContext::SaveAll() {
    m_settings->Save();
    m_list->Save();
    m_cache->SaveCacheFile();
}
