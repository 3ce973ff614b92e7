#include "TvwicLibrary.h"

#include <cstdlib>
#include <cstring>
#include "plugin/TestPluginExtension.h"

namespace {
template <typename F>
void Find(HMODULE m, const char* name, F* out) {
    *out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

Decoded ReadBlocks(int code, HLOCAL info, HLOCAL bits) {
    Decoded d;
    d.code = code;
    if (info) d.infoSize = LocalSize(info);
    if (bits) d.bitsSize = LocalSize(bits);
    if (code == 0 && info && bits) {
        auto* h = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
        auto* rows = static_cast<const uint8_t*>(LocalLock(bits));
        if (h && rows && d.infoSize >= sizeof(BITMAPINFOHEADER) && h->biSize == sizeof(BITMAPINFOHEADER)) {
            d.width = h->biWidth;
            d.height = h->biHeight;
            d.bitCount = h->biBitCount;
            size_t stride = (static_cast<size_t>(d.width) * 3 + 3) & ~size_t(3);
            d.blocksValid = d.width > 0 && d.height > 0 && d.bitCount == 24 && h->biCompression == BI_RGB &&
                            h->biPlanes == 1 && d.bitsSize >= stride * static_cast<size_t>(d.height);
            if (d.blocksValid) {
                d.rgb.resize(static_cast<size_t>(d.width) * d.height);
                for (int y = 0; y < d.height; ++y) {
                    const uint8_t* row = rows + static_cast<size_t>(d.height - 1 - y) * stride;
                    for (int x = 0; x < d.width; ++x)
                        d.rgb[static_cast<size_t>(y) * d.width + x] =
                            uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
                }
            }
        }
        if (h) LocalUnlock(info);
        if (rows) LocalUnlock(bits);
    }
    if (info) LocalFree(info);
    if (bits) LocalFree(bits);
    return d;
}
}  // namespace

std::string BuiltPluginPath() { return std::string(TAVRIN_BIN_DIR) + "/plugins/tvwic" SPI_EXT; }

const Tvwic& Plugin() {
    static Tvwic plugin = [] {
        Tvwic p;
        p.module = LoadLibraryA(BuiltPluginPath().c_str());
        if (p.module) {
            Find(p.module, "GetPluginInfo", &p.GetPluginInfo);
            Find(p.module, "IsSupported", &p.IsSupported);
            Find(p.module, "GetPictureInfo", &p.GetPictureInfo);
            Find(p.module, "GetPicture", &p.GetPicture);
        }
        return p;
    }();
    return plugin;
}

std::string PluginInfo(int number) {
    char buffer[512];
    std::memset(buffer, 'x', sizeof(buffer));
    int n = Plugin().GetPluginInfo(number, buffer, 511);
    if (n <= 0) return std::string();
    return std::string(buffer, std::strlen(buffer));
}

Decoded DecodeFromMemory(const std::string& bytes, SpiProgress progress, LONG_PTR data) {
    HLOCAL info = nullptr, bits = nullptr;
    int code = Plugin().GetPicture(const_cast<char*>(bytes.data()), static_cast<long>(bytes.size()), 1, &info, &bits,
                                   progress, data);
    return ReadBlocks(code, info, bits);
}

Decoded DecodeFromFile(const std::string& path, long offset, SpiProgress progress, LONG_PTR data) {
    HLOCAL info = nullptr, bits = nullptr;
    std::string name = path;
    int code = Plugin().GetPicture(&name[0], offset, 0, &info, &bits, progress, data);
    return ReadBlocks(code, info, bits);
}

int ChannelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
        if (d > worst) worst = d;
    }
    return worst;
}
