#include "list/AppContext.h"

AppContext::AppContext(ProfileStore& profile) {
    m_settings = std::make_unique<AppSettings>(profile);
    m_list = std::make_unique<WallPaperList>();
    m_list->SetPath(m_settings->listFilePath);
    m_list->Load();
}

AppContext::~AppContext() {
    m_list.reset();      // saves itself
    m_settings.reset();  // saves itself
}

void AppContext::SaveAll() {
    m_settings->Save();
    m_list->Save();
}
