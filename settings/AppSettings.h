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
    // "PictureCacheMiB": the picture cache's budget in MiB, read only (set it
    // in the registry), clamped to kMinPictureCacheMiB..kMaxPictureCacheMiB.
    uint32_t pictureCacheMiB = kDefaultPictureCacheMiB;

    static constexpr uint32_t kDefaultPictureCacheMiB = 256;
    static constexpr uint32_t kMinPictureCacheMiB = 32;
    // Half the 2 GiB a 32-bit process has, so decoding always has room.
    static constexpr uint32_t kMaxPictureCacheMiB = 1024;
    uint64_t PictureCacheBudgetBytes() const { return static_cast<uint64_t>(pictureCacheMiB) << 20; }
    // "PreviewStoreMiB": the preview store's size in MiB, read only like the
    // cache's, clamped to kMinPreviewStoreMiB..kMaxPreviewStoreMiB.
    uint32_t previewStoreMiB = kDefaultPreviewStoreMiB;
    static constexpr uint32_t kDefaultPreviewStoreMiB = 64;
    static constexpr uint32_t kMinPreviewStoreMiB = 4;
    static constexpr uint32_t kMaxPreviewStoreMiB = 1024;
    uint64_t PreviewStoreBudgetBytes() const { return static_cast<uint64_t>(previewStoreMiB) << 20; }

private:
    ProfileStore& m_profile;
};

// The directory of the running program, with its trailing backslash.
std::string ProgramDirectory();
