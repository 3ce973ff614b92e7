// Decoding a 3840x2160 JPEG and PNG through Tavrin's plug-in host and
// tvwic.spi (CSPISupport::DecodeFile: head read, IsSupported, GetPicture,
// the blocks) against decoding the same files with the imaging component
// directly into a 24-bit buffer, in the same run.  Reports the best and the
// median of several rounds of each, and their ratios.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/AppSettings.h"
#include "framework/Profile.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/CSPIControl.h"
#include "tests/wic/WicPictures.h"
#include "tests/plugin/TestPluginExtension.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    CloseHandle(f);
    return ok;
}

// What a program would do with the imaging component alone: decode the
// first frame and copy it as 24-bit rows into its own buffer.
bool DecodeDirectly(IWICImagingFactory* factory, const std::string& path, std::vector<BYTE>* out) {
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    bool ok = false;
    UINT w = 0, h = 0;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(ToWide(path).c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) &&
        SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                        WICBitmapPaletteTypeCustom))) {
        UINT stride = (w * 3 + 3) & ~3u;
        out->resize(size_t(stride) * h);
        ok = SUCCEEDED(converter->CopyPixels(nullptr, stride, UINT(out->size()), out->data()));
    }
    if (converter) converter->Release();
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    return ok;
}

struct Times {
    std::vector<double> host, direct;
};

void Report(const char* what, Times t) {
    std::sort(t.host.begin(), t.host.end());
    std::sort(t.direct.begin(), t.direct.end());
    double bh = t.host.front(), bd = t.direct.front();
    double mh = t.host[t.host.size() / 2], md = t.direct[t.direct.size() / 2];
    std::printf("decode 3840x2160 %s, %zu rounds each\n", what, t.host.size());
    std::printf("  best:   direct %.1f ms, host+tvwic %.1f ms, ratio %.3f\n", bd * 1000, bh * 1000, bh / bd);
    std::printf("  median: direct %.1f ms, host+tvwic %.1f ms, ratio %.3f\n", md * 1000, mh * 1000, mh / md);
}
}  // namespace

int main() {
    const int kRounds = 15;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string dir = ToCp932(temp) + "tavrin-wic-bench\\";
    CreateDirectoryW(ToWide(dir).c_str(), nullptr);
    std::string plugin = dir + "tvwic" SPI_EXT;
    if (!CopyFileW(ToWide(std::string(TAVRIN_BIN_DIR) + "/plugins/tvwic" SPI_EXT).c_str(), ToWide(plugin).c_str(), FALSE)) {
        std::printf("tvwic" SPI_EXT " not found in bin/plugins\n");
        return 1;
    }
    TestImage image = MakeImage(3840, 2160, Smooth);
    const char* names[] = {"JPEG", "PNG"};
    std::string files[] = {dir + "bench.jpg", dir + "bench.png"};
    if (!WriteFileBytes(files[0], EncodePicture(Container::Jpeg, image)) ||
        !WriteFileBytes(files[1], EncodePicture(Container::Png, image))) {
        std::printf("cannot write the pictures\n");
        return 1;
    }

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory)))) {
        std::printf("no imaging component\n");
        return 1;
    }
    MemoryProfile profile;
    AppSettings settings(profile);
    settings.enableSPI = true;
    settings.spiPath = dir;
    ScopedMessageRecorder messages;
    int status = 0;
    {
        CSPIControl host(&settings);
        if (host.GetPluginCount() != 1) {
            std::printf("tvwic" SPI_EXT " did not load\n");
            return 1;
        }
        for (int k = 0; k < 2; ++k) {
            Times times;
            for (int round = 0; round < kRounds + 1; ++round) {
                for (int side = 0; side < 2; ++side) {
                    bool runHost = (side == 0) == (round % 2 == 0);  // alternate who goes first
                    auto t0 = Clock::now();
                    bool ok;
                    if (runHost) {
                        HLOCAL info = nullptr, bits = nullptr;
                        ok = host.DecodeFile(files[k], &info, &bits) == 0;
                        if (info) LocalFree(info);
                        if (bits) LocalFree(bits);
                    } else {
                        std::vector<BYTE> pixels;  // a new picture needs new memory, as in the host
                        ok = DecodeDirectly(factory, files[k], &pixels);
                    }
                    auto t1 = Clock::now();
                    if (!ok) {
                        std::printf("%s decode failed (%s)\n", names[k], runHost ? "host" : "direct");
                        return 1;
                    }
                    if (round > 0) (runHost ? times.host : times.direct).push_back(Seconds(t0, t1));  // round 0 warms up
                }
            }
            Report(names[k], times);
        }
        std::printf("  goal: ratio at most 1.15\n");
    }
    factory->Release();
    CoUninitialize();
    for (const std::string& f : files) DeleteFileW(ToWide(f).c_str());
    DeleteFileW(ToWide(plugin).c_str());
    RemoveDirectoryW(ToWide(dir).c_str());
    return status;
}
