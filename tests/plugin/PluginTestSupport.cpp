#include "PluginTestSupport.h"

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "util/PathPieces.h"
#include "TestPluginExtension.h"

namespace {
typedef const char*(__stdcall* TextExport)();
typedef void(__stdcall* ResetExport)();

HMODULE ModuleAt(const CSPISupport& host, int index) {
    const CSPIPlugin* plugin = host.GetPlugin(index);
    return plugin ? plugin->module.get() : nullptr;
}

std::string CallText(const CSPISupport& host, int index, const char* name) {
    HMODULE module = ModuleAt(host, index);
    if (!module) return "(no module)";
    auto fn = reinterpret_cast<TextExport>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return fn ? std::string(fn()) : "(no export)";
}
}  // namespace

std::string FixturePluginDir() {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    PathParts parts = SplitPath(ToCp932(std::wstring(exe, n)));
    return parts.drive + parts.directory + "spi\\";
}

std::string InstallPlugin(const std::string& folder, const std::string& fixture, const std::string& asName) {
    std::string target = folder + (asName.empty() ? fixture + SPI_EXT : asName);
    std::string source = FixturePluginDir() + fixture + SPI_EXT;
    if (!CopyFileW(ToWide(source).c_str(), ToWide(target).c_str(), FALSE)) return std::string();
    return target;
}

std::string PluginCallLog(const CSPISupport& host, int index) { return CallText(host, index, "FixtureCallLog"); }

std::string PluginLastName(const CSPISupport& host, int index) { return CallText(host, index, "FixtureLastName"); }

void ResetPluginLog(const CSPISupport& host, int index) {
    HMODULE module = ModuleAt(host, index);
    if (!module) return;
    auto fn = reinterpret_cast<ResetExport>(reinterpret_cast<void*>(GetProcAddress(module, "FixtureResetLog")));
    if (fn) fn();
}

int IndexOf(const CSPISupport& host, const std::string& fileName) {
    for (int i = 0; i < host.GetPluginCount(); ++i) {
        if (host.GetFileName(i) == fileName) return i;
    }
    return -1;
}

std::vector<std::string> AttachNotes() {
    wchar_t buf[8192];
    DWORD n = GetEnvironmentVariableW(L"TAVRIN_SPI_ATTACH", buf, 8192);
    std::vector<std::string> names;
    if (n == 0 || n >= 8192) return names;
    std::string text = ToCp932(std::wstring(buf, n)), piece;
    for (char c : text) {
        if (c == ';') {
            names.push_back(piece);
            piece.clear();
        } else {
            piece.push_back(c);
        }
    }
    return names;
}

void ClearAttachNotes() { SetEnvironmentVariableW(L"TAVRIN_SPI_ATTACH", nullptr); }

std::vector<std::string> ListedNames(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    UniqueFind search(FindFirstFileW(ToWide(pattern).c_str(), &fd));
    if (!search) return names;
    do {
        names.push_back(ToCp932(fd.cFileName));
    } while (FindNextFileW(search.get(), &fd));
    return names;
}

bool ReadBitmap(HBITMAP bitmap, BitmapPixels* out) {
    BITMAP info;
    if (!bitmap || GetObjectW(bitmap, sizeof(info), &info) != sizeof(info)) return false;
    out->width = info.bmWidth;
    out->height = info.bmHeight;
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> rows(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4);
    WindowDC screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, info.bmHeight, rows.data(), &request, DIB_RGB_COLORS) != info.bmHeight)
        return false;
    out->pixels.clear();
    for (size_t i = 0; i + 3 < rows.size(); i += 4) out->pixels.push_back(Rgb{rows[i + 2], rows[i + 1], rows[i]});
    return true;
}

bool HoldsTestPattern(HBITMAP bitmap, int width, int height, bool grey) {
    BitmapPixels got;
    if (!ReadBitmap(bitmap, &got) || got.width != width || got.height != height) return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb want = TestPixel(x, y);
            if (grey) want = Rgb{want.r, want.r, want.r};
            if (!(got.At(x, y) == want)) return false;
        }
    }
    return true;
}
