#include "settings/AppSettings.h"

#include <algorithm>

#include <windows.h>

#include <vector>

#include "settings/DeskCal.h"
#include "framework/TextBridge.h"
#include "util/PathPieces.h"

std::string ProgramDirectory() {
    std::vector<wchar_t> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) break;
        if (buf.size() > 32768) return std::string();
        buf.resize(buf.size() * 2);
    }
    PathParts parts = SplitPath(PathToCp932(buf.data()));
    return parts.drive + parts.directory;
}

AppSettings::AppSettings(ProfileStore& profile) : m_profile(profile) { Load(); }

AppSettings::~AppSettings() { Save(); }

void AppSettings::Load() {
    ProfileStore& p = m_profile;
    programDirectory = ProgramDirectory();
    listFilePath = p.GetString(kSection, "ConfPath", programDirectory + "List.tvl");
    postChangeCommand = p.GetString(kSection, "DeskCalPath", LookUpDeskCal());
    selectedWallPaper = p.GetString(kSection, "SelectedWallPaper", "");
    spiPath = p.GetString(kSection, "SPIPath", "");
    enableSPI = p.GetInt(kSection, "EnableSPI", 0) != 0;
    reuseCacheFile = false;
    enableSSTP = p.GetInt(kSection, "EnableSSTP", 0) != 0;
    enableHalfTone = p.GetInt(kSection, "EnableHalfTone", 0) != 0;
    enableSelectPreview = p.GetInt(kSection, "EnableSelectPreview", 1) != 0;
    preloadPreviewPics = p.GetInt(kSection, "PreloadPreviewPics", 0) != 0;
    viewStyle = p.GetInt(kSection, "ViewStyle", 0);
    changingEffect = p.GetInt(kSection, "ChangingEffect", 0) != 0;
    const int storeMiB = p.GetInt(kSection, "PreviewStoreMiB", kDefaultPreviewStoreMiB);
    previewStoreMiB = static_cast<uint32_t>(
        std::min<int>(std::max<int>(storeMiB, kMinPreviewStoreMiB), static_cast<int>(kMaxPreviewStoreMiB)));
    int cacheMiB = p.GetInt(kSection, "PictureCacheMiB", kDefaultPictureCacheMiB);
    if (cacheMiB < static_cast<int>(kMinPictureCacheMiB)) cacheMiB = kMinPictureCacheMiB;
    if (cacheMiB > static_cast<int>(kMaxPictureCacheMiB)) cacheMiB = kMaxPictureCacheMiB;
    pictureCacheMiB = static_cast<uint32_t>(cacheMiB);

    // Two bytes; a shorter value is padded with 0, a longer one gives its first two.
    std::vector<uint8_t> bytes;
    ports[0] = ports[1] = 0;
    if (p.ReadBinary(kSection, "Ports", &bytes)) {
        if (bytes.size() > 0) ports[0] = bytes[0];
        if (bytes.size() > 1) ports[1] = bytes[1];
    }
}

bool AppSettings::Save() {
    ProfileStore& p = m_profile;
    p.WriteString(kSection, "ConfPath", listFilePath);
    p.WriteString(kSection, "DeskCalPath", postChangeCommand);
    p.WriteString(kSection, "SelectedWallPaper", selectedWallPaper);
    p.WriteString(kSection, "SPIPath", spiPath);
    p.WriteInt(kSection, "EnableSPI", enableSPI ? 1 : 0);
    p.WriteInt(kSection, "EnableSSTP", enableSSTP ? 1 : 0);
    p.WriteBinary(kSection, "Ports", std::vector<uint8_t>{ports[0], ports[1]});
    p.WriteInt(kSection, "EnableHalfTone", enableHalfTone ? 1 : 0);
    p.WriteInt(kSection, "EnableSelectPreview", enableSelectPreview ? 1 : 0);
    p.WriteInt(kSection, "PreloadPreviewPics", preloadPreviewPics ? 1 : 0);
    p.WriteInt(kSection, "ViewStyle", viewStyle);
    p.WriteInt(kSection, "ChangingEffect", changingEffect ? 1 : 0);
    return true;
}
