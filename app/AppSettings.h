#pragma once
// Every user setting, read from the per-user profile (section "Settings")
// when the record is made and written back when it is saved or destroyed.
#include <cstdint>
#include <string>

#include "framework/Profile.h"
#include "list/DisplayStyle.h"

class AppSettings {
public:
    static constexpr const char* kSection = "Settings";

    explicit AppSettings(ProfileStore& profile);
    ~AppSettings();
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    void Load();
    bool Save();
    ProfileStore& profile() { return m_profile; }

    // In declaration order; strings are code page 932.
    std::string programDirectory;   // not stored; ends in a backslash
    std::string postChangeCommand;  // "DeskCalPath"
    std::string listFilePath;       // "ConfPath"
    std::string selectedWallPaper;  // "SelectedWallPaper"
    std::string spiPath;            // "SPIPath"
    DisplayStyle viewStyle = 0;     // "ViewStyle"
    bool enableSSTP = false;        // "EnableSSTP"
    uint8_t ports[2] = {0, 0};      // "Ports": [0] port 9801, [1] port 9821
    bool enableHalfTone = false;    // "EnableHalfTone"
    bool enableSelectPreview = true;  // "EnableSelectPreview"
    bool preloadPreviewPics = false;  // "PreloadPreviewPics"
    bool enableSPI = false;         // "EnableSPI"
    bool reuseCacheFile = false;    // run-time only, never stored
    bool changingEffect = false;    // "ChangingEffect"

private:
    ProfileStore& m_profile;
};

// The directory of the running program, with its trailing backslash.
std::string ProgramDirectory();
