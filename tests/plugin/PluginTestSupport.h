#pragma once
// Helpers for the plug-in host tests: where the test plug-ins were built,
// putting copies of them into a test's own folder, reading what a test
// plug-in was asked, and looking at decoded bitmaps.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestPictures.h"
#include "settings/AppSettings.h"
#include "framework/Profile.h"
#include "plugin/CSPIControl.h"
#include "plugin/CSPISupport.h"
#include "win/TestSupport.h"

// The folder holding the built test plug-ins (with trailing backslash).
std::string FixturePluginDir();
// Copies test plug-in `fixture` ("pnm" for pnm.spi) into `folder` as `asName`
// (default: its own name).  Returns the copy's path, empty on failure.
std::string InstallPlugin(const std::string& folder, const std::string& fixture, const std::string& asName = "");

// What the test plug-in at `index` logged since its last reset.
std::string PluginCallLog(const CSPISupport& host, int index);
std::string PluginLastName(const CSPISupport& host, int index);
void ResetPluginLog(const CSPISupport& host, int index);
int IndexOf(const CSPISupport& host, const std::string& fileName);

// The file names of TAVRIN_SPI_ATTACH, one for each time a test library was attached.
std::vector<std::string> AttachNotes();
void ClearAttachNotes();

// The file names a directory search of `pattern` yields, in its own order.
std::vector<std::string> ListedNames(const std::string& pattern);

// Settings in memory, with plug-ins on or off.
struct TestSettings {
    explicit TestSettings(bool pluginsOn, const std::string& spiPath = "")
        : settings(profile) {
        settings.enableSPI = pluginsOn;
        settings.spiPath = spiPath;
    }
    MemoryProfile profile;
    AppSettings settings;
};

// A decoded bitmap's size and pixels, read back as 32-bit top-down rows.
struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool ReadBitmap(HBITMAP bitmap, BitmapPixels* out);
// Whether `bitmap` holds the test pattern (grey: the red channel in all three).
bool HoldsTestPattern(HBITMAP bitmap, int width, int height, bool grey = false);

// A host whose plug-ins were installed one per directory and scanned in the
// order given, so their indexes follow that order.
class ScannedHost {
public:
    explicit ScannedHost(std::initializer_list<const char*> fixtures) : s(true) {
        for (const char* f : fixtures) {
            dirs.emplace_back(new TempDir);
            InstallPlugin(dirs.back()->path(), f);
        }
        s.settings.enableSPI = false;
        control.reset(new CSPIControl(&s.settings));
        s.settings.enableSPI = true;
        for (auto& d : dirs) {
            s.settings.spiPath = d->path();
            control->ReloadFromSettings();
        }
    }
    CSPIControl* operator->() { return control.get(); }
    CSPIControl& operator*() { return *control; }
    std::string Picture(const std::string& name, const std::string& bytes) {
        WriteBytes(pictures.File(name), bytes);
        return pictures.File(name);
    }

    TempDir pictures;
    std::vector<std::unique_ptr<TempDir>> dirs;
    TestSettings s;
    std::unique_ptr<CSPIControl> control;
};
