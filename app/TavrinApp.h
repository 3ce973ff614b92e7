#pragma once
#include <memory>
#include <string>

#include "remote/SingleInstance.h"
#include "app/TrayWindow.h"
#include "framework/Application.h"

class TavrinApp : public Application {
public:
    static constexpr const char* kCompanyKey = "Vandrel Software";

    bool InitInstance() override;

private:
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<TrayWindow> m_tray;
};

// The application title (string resource 57344), code page 932.
std::string AppTitleString();
