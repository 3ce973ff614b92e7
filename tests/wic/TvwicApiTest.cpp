// tvwic.spi through its exports, as any Susie host calls it.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstring>
#include <thread>

#include "TestSupport.h"
#include "TvwicLibrary.h"
#include "WicPictures.h"

namespace {
const Container kAll[] = {Container::Png, Container::Jpeg, Container::Gif, Container::Tiff, Container::Bmp};
const Container kLossless[] = {Container::Png, Container::Gif, Container::Tiff, Container::Bmp};

std::string Encoded(Container c, int w, int h, uint32_t (*colour)(int, int)) {
    std::string bytes = EncodePicture(c, MakeImage(w, h, colour));
    EXPECT_FALSE(bytes.empty()) << ContainerName(c);
    return bytes;
}

int IsSupportedHead(const std::string& bytes, const char* name = "picture") {
    char head[2049] = {};
    std::memcpy(head, bytes.data(), bytes.size() < 2048 ? bytes.size() : 2048);
    std::string n = name;
    return Plugin().IsSupported(&n[0], reinterpret_cast<DWORD_PTR>(head));
}

struct TvwicApi : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(Plugin().loaded()) << BuiltPluginPath(); }
    TempDir dir;
};
}  // namespace

TEST_F(TvwicApi, InformationNumbersNameTheApiThePluginAndEveryFormat) {
    EXPECT_EQ("00IN", PluginInfo(0));
    EXPECT_NE(std::string::npos, PluginInfo(1).find("tvwic")) << PluginInfo(1);
    // The host's own call: length 9 into a ten-byte buffer.
    char version[10] = {};
    EXPECT_EQ(4, Plugin().GetPluginInfo(0, version, 9));
    // A short buffer gets what fits, terminated.
    char small[4];
    std::memset(small, 'x', sizeof(small));
    EXPECT_EQ(3, Plugin().GetPluginInfo(0, small, 4));
    EXPECT_STREQ("00I", small);

    std::map<std::string, std::string> entries;
    int n = 0;
    for (; n < 64 && !PluginInfo(2 * n + 2).empty(); ++n) {
        std::string patterns = PluginInfo(2 * n + 2), type = PluginInfo(2 * n + 3);
        EXPECT_FALSE(type.empty()) << patterns;
        EXPECT_EQ(0u, patterns.find("*.")) << patterns;
        EXPECT_LT(patterns.size(), 256u);
        entries[type] = patterns;
    }
    EXPECT_GE(n, 5);
    EXPECT_EQ("", PluginInfo(2 * n + 3));
    auto has = [&](const std::string& type, const std::string& pattern) {
        std::string list = ";" + entries[type] + ";";
        return list.find(";" + pattern + ";") != std::string::npos;
    };
    EXPECT_TRUE(has("JPEG", "*.jpg") && has("JPEG", "*.jpeg") && has("JPEG", "*.jpe")) << entries["JPEG"];
    EXPECT_TRUE(has("PNG", "*.png")) << entries["PNG"];
    EXPECT_TRUE(has("GIF", "*.gif")) << entries["GIF"];
    EXPECT_TRUE(has("TIFF", "*.tif") && has("TIFF", "*.tiff")) << entries["TIFF"];
    EXPECT_TRUE(has("BMP", "*.bmp")) << entries["BMP"];
    // The common formats lead the list.
    EXPECT_EQ("JPEG", PluginInfo(3));
    EXPECT_EQ("PNG", PluginInfo(5));
}

TEST_F(TvwicApi, IsSupportedGoesBySignatureNotByName) {
    for (Container c : kAll) {
        std::string bytes = Encoded(c, 40, 30, Blocks16);
        EXPECT_EQ(1, IsSupportedHead(bytes, "C:\\pictures\\photo.txt")) << ContainerName(c);
    }
    // Heads made by hand: an icon directory and a DirectDraw surface.
    EXPECT_EQ(1, IsSupportedHead(std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14) + std::string(64, '\0'), "x"));
    EXPECT_EQ(1, IsSupportedHead("DDS " + std::string(124, '\0'), "x"));
    EXPECT_EQ(0, IsSupportedHead("This is plain text, not a picture.", "C:\\notes.jpg"));
    EXPECT_EQ(0, IsSupportedHead(std::string(2048, '\0'), "zeros.png"));
    EXPECT_EQ(0, IsSupportedHead("GIF8", "short.gif"));  // a bare start is not a signature
    EXPECT_EQ(0, IsSupportedHead("\x89PNX\r\n\x1a\n", "almost.png"));

    // The handle form reads the open file and leaves its position as it was.
    std::string path = dir.File("picture.dat");
    WriteBytes(path, Encoded(Container::Png, 20, 10, Blocks16));
    std::string text = dir.File("text.png");
    WriteBytes(text, "hello");
    for (auto& [file, expected] : {std::pair<std::string, int>{path, 1}, {text, 0}}) {
        HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        std::string name = file;
        EXPECT_EQ(expected, Plugin().IsSupported(&name[0], reinterpret_cast<DWORD_PTR>(h))) << file;
        EXPECT_EQ(0u, SetFilePointer(h, 0, nullptr, FILE_CURRENT));
        CloseHandle(h);
    }
}

TEST_F(TvwicApi, PictureInfoFromFileFromOffsetAndFromMemory) {
    std::string png = Encoded(Container::Png, 37, 21, Blocks16);
    std::string path = dir.File("a.png"), packed = dir.File("packed.bin");
    WriteBytes(path, png);
    WriteBytes(packed, std::string(1000, 'z') + png);
    SpiPictureInfo info;
    auto check = [&](int code, const char* what) {
        EXPECT_EQ(0, code) << what;
        EXPECT_EQ(37, info.width) << what;
        EXPECT_EQ(21, info.height) << what;
        EXPECT_EQ(0, info.left);
        EXPECT_EQ(24, info.colorDepth);
        EXPECT_EQ(nullptr, info.hInfo);
    };
    std::memset(&info, 0x55, sizeof(info));
    check(Plugin().GetPictureInfo(&path[0], 0, 0, &info), "file");
    std::memset(&info, 0x55, sizeof(info));
    check(Plugin().GetPictureInfo(&packed[0], 1000, 0, &info), "offset");
    std::memset(&info, 0x55, sizeof(info));
    check(Plugin().GetPictureInfo(&png[0], long(png.size()), 1, &info), "memory");
    // Orientation turns the recorded size.
    std::string turned = WithJpegOrientation(Encoded(Container::Jpeg, 40, 16, Smooth), 6);
    ASSERT_EQ(0, Plugin().GetPictureInfo(&turned[0], long(turned.size()), 1, &info));
    EXPECT_EQ(16, info.width);
    EXPECT_EQ(40, info.height);
}

TEST_F(TvwicApi, LosslessFormatsGiveTheSourcePixelsExactly) {
    TestImage image = MakeImage(45, 31, Blocks16);  // odd width: padded rows
    for (Container c : kLossless) {
        std::string bytes = EncodePicture(c, image);
        ASSERT_FALSE(bytes.empty()) << ContainerName(c);
        std::string path = dir.File(std::string("p.") + ContainerName(c));
        WriteBytes(path, bytes);
        std::string packed = dir.File(std::string("packed.") + ContainerName(c));
        WriteBytes(packed, std::string(4099, '\x89') + bytes);
        Decoded results[] = {DecodeFromFile(path), DecodeFromFile(packed, 4099), DecodeFromMemory(bytes)};
        const char* from[] = {"file", "file at an offset", "memory"};
        for (int k = 0; k < 3; ++k) {
            const Decoded& d = results[k];
            ASSERT_EQ(0, d.code) << ContainerName(c) << " from " << from[k];
            ASSERT_TRUE(d.blocksValid) << ContainerName(c);
            EXPECT_EQ(40u, d.infoSize);
            EXPECT_EQ(size_t((45 * 3 + 3) & ~3) * 31, d.bitsSize);
            ASSERT_EQ(45, d.width);
            ASSERT_EQ(31, d.height);
            for (int y = 0; y < 31; ++y)
                for (int x = 0; x < 45; ++x)
                    ASSERT_EQ(image.At(x, y) & 0xFFFFFF, d.At(x, y)) << ContainerName(c) << " " << x << "," << y;
        }
    }
}

TEST_F(TvwicApi, JpegIsCloseToTheSource) {
    TestImage image = MakeImage(96, 64, Smooth);
    std::string bytes = EncodePicture(Container::Jpeg, image);
    Decoded d = DecodeFromMemory(bytes);
    ASSERT_EQ(0, d.code);
    ASSERT_TRUE(d.blocksValid);
    ASSERT_EQ(96, d.width);
    ASSERT_EQ(64, d.height);
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) worst = std::max(worst, ChannelDistance(image.At(x, y) & 0xFFFFFF, d.At(x, y)));
    EXPECT_LE(worst, 24);
}

TEST_F(TvwicApi, BlocksAreMovableLocalMemory) {
    std::string bytes = Encoded(Container::Png, 8, 8, Blocks16);
    HLOCAL info = nullptr, bits = nullptr;
    ASSERT_EQ(0, Plugin().GetPicture(&bytes[0], long(bytes.size()), 1, &info, &bits, nullptr, 0));
    void* p = LocalLock(info);
    EXPECT_NE(static_cast<void*>(info), p);  // a movable block's handle is not its address
    EXPECT_EQ(1u, LocalFlags(info) & LMEM_LOCKCOUNT);
    LocalUnlock(info);
    EXPECT_EQ(nullptr, LocalFree(info));
    EXPECT_EQ(nullptr, LocalFree(bits));
}

namespace {
// Shown corners top-left, top-right, bottom-left, bottom-right of the
// Quarters picture (red, green / blue, white) for each orientation.
const uint32_t R = 0xE00000, G = 0x00C000, B = 0x0000E0, Wh = 0xFFFFFF;
const uint32_t kCorners[9][4] = {
    {}, {R, G, B, Wh}, {G, R, Wh, B}, {Wh, B, G, R}, {B, Wh, R, G},
    {R, B, G, Wh}, {B, R, Wh, G}, {Wh, G, B, R}, {G, Wh, R, B},
};
void ExpectOrientation(const Decoded& d, int value, const char* what) {
    ASSERT_EQ(0, d.code) << what << value;
    bool swapped = value >= 5;
    ASSERT_EQ(swapped ? kQuartersHeight : kQuartersWidth, d.width) << what << value;
    ASSERT_EQ(swapped ? kQuartersWidth : kQuartersHeight, d.height) << what << value;
    const int m = 3;  // away from the edges, where JPEG blurs
    uint32_t got[4] = {d.At(m, m), d.At(d.width - 1 - m, m), d.At(m, d.height - 1 - m),
                       d.At(d.width - 1 - m, d.height - 1 - m)};
    for (int k = 0; k < 4; ++k)
        EXPECT_LE(ChannelDistance(kCorners[value][k], got[k]), 40)
            << what << " orientation " << value << " corner " << k << std::hex << " got " << got[k];
}
}  // namespace

TEST_F(TvwicApi, EveryExifOrientationComesOutUpright) {
    std::string jpeg = Encoded(Container::Jpeg, kQuartersWidth, kQuartersHeight, Quarters);
    std::string png = Encoded(Container::Png, kQuartersWidth, kQuartersHeight, Quarters);
    for (int value = 1; value <= 8; ++value) {
        ExpectOrientation(DecodeFromMemory(WithJpegOrientation(jpeg, value)), value, "JPEG (Intel)");
        ExpectOrientation(DecodeFromMemory(WithJpegOrientation(jpeg, value, true)), value, "JPEG (Motorola)");
        ExpectOrientation(DecodeFromMemory(WithPngOrientation(png, value)), value, "PNG eXIf");
    }
    // Nonsense values leave the picture as stored.
    ExpectOrientation(DecodeFromMemory(WithJpegOrientation(jpeg, 9)), 1, "JPEG value 9");
    ExpectOrientation(DecodeFromMemory(WithJpegOrientation(jpeg, 0)), 1, "JPEG value 0");
    // From a file too.
    std::string path = dir.File("turned.jpg");
    WriteBytes(path, WithJpegOrientation(jpeg, 8));
    ExpectOrientation(DecodeFromFile(path), 8, "JPEG file");
}

TEST_F(TvwicApi, TransparentPixelsAreLaidOverBlack) {
    TestImage image = MakeImage(16, 8, [](int x, int y) {
        uint32_t alpha = uint32_t(x * 17);  // 0 to 255 across
        return alpha << 24 | (y % 2 ? 0xFF8040u : 0x20C0FFu);
    });
    std::string png = EncodePicture(Container::Png, image, true);
    ASSERT_FALSE(png.empty());
    Decoded d = DecodeFromMemory(png);
    ASSERT_EQ(0, d.code);
    ASSERT_EQ(16, d.width);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t c = image.At(x, y), a = c >> 24, expected = 0;
            for (int shift = 0; shift < 24; shift += 8) expected |= ((((c >> shift) & 0xFF) * a + 127) / 255) << shift;
            ASSERT_EQ(expected, d.At(x, y)) << x << "," << y;
        }
}

namespace {
struct ProgressLog {
    std::vector<std::pair<int, int>> calls;
    int abortAt = -1;  // the call number that answers "stop"
};
int __stdcall Record(int done, int total, LONG_PTR data) {
    auto* log = reinterpret_cast<ProgressLog*>(data);
    log->calls.emplace_back(done, total);
    return int(log->calls.size()) - 1 == log->abortAt ? 1 : 0;
}
}  // namespace

TEST_F(TvwicApi, ProgressIsReportedAndItsAbortHonoured) {
    std::string bytes = Encoded(Container::Png, 50, 300, Blocks16);
    ProgressLog log;
    Decoded d = DecodeFromMemory(bytes, Record, reinterpret_cast<LONG_PTR>(&log));
    ASSERT_EQ(0, d.code);
    ASSERT_GE(log.calls.size(), 3u);
    EXPECT_EQ(std::make_pair(0, 300), log.calls.front());
    EXPECT_EQ(std::make_pair(300, 300), log.calls.back());
    for (size_t i = 1; i < log.calls.size(); ++i) EXPECT_LE(log.calls[i - 1].first, log.calls[i].first);

    for (int abortAt : {0, 2, int(log.calls.size()) - 1}) {
        ProgressLog stop;
        stop.abortAt = abortAt;
        HLOCAL info = reinterpret_cast<HLOCAL>(1), bits = reinterpret_cast<HLOCAL>(1);
        EXPECT_EQ(1, Plugin().GetPicture(&bytes[0], long(bytes.size()), 1, &info, &bits, Record,
                                         reinterpret_cast<LONG_PTR>(&stop))) << abortAt;
        EXPECT_EQ(size_t(abortAt + 1), stop.calls.size());
        EXPECT_EQ(nullptr, info);
        EXPECT_EQ(nullptr, bits);
    }
}

TEST_F(TvwicApi, FailuresGiveTheirResultCodes) {
    std::string text = "no picture here";
    EXPECT_EQ(2, DecodeFromMemory(text).code);
    std::string png = Encoded(Container::Png, 60, 60, Blocks16);
    Decoded cut = DecodeFromMemory(png.substr(0, png.size() / 2));
    EXPECT_EQ(3, cut.code);
    EXPECT_EQ(0u, cut.infoSize + cut.bitsSize);  // nothing handed out
    EXPECT_EQ(6, DecodeFromFile(dir.File("missing.png")).code);
    std::string path = dir.File("small.png");
    WriteBytes(path, png);
    EXPECT_EQ(2, DecodeFromFile(path, long(png.size())).code);  // nothing after the offset
    HLOCAL info = nullptr;
    EXPECT_EQ(8, Plugin().GetPicture(&png[0], long(png.size()), 1, &info, nullptr, nullptr, 0));
    SpiPictureInfo record;
    EXPECT_EQ(2, Plugin().GetPictureInfo(&text[0], long(text.size()), 1, &record));
}

TEST_F(TvwicApi, PicturesTooLargeForTheAddressSpaceGiveOutOfMemory) {
    // A well-formed PNG header that claims 40000 x 40000 pixels (4.8 GB as
    // 24-bit rows), followed by a little pixel data.
    std::string png = Encoded(Container::Png, 8, 8, Blocks16);
    auto be32 = [](uint32_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    std::string ihdr = "IHDR" + be32(40000) + be32(40000) + std::string("\x08\x02\x00\x00\x00", 5);
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : ihdr) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    std::string huge = png.substr(0, 8) + be32(13) + ihdr + be32(~crc) + png.substr(33);
    SpiPictureInfo record;
    EXPECT_EQ(4, Plugin().GetPictureInfo(&huge[0], long(huge.size()), 1, &record));
    EXPECT_EQ(4, DecodeFromMemory(huge).code);
    // The same from a file, and for a BMP whose header claims 30000 x 30000.
    std::string path = dir.File("huge.png");
    WriteBytes(path, huge);
    EXPECT_EQ(4, DecodeFromFile(path).code);
    std::string bmp = EncodePicture(Container::Bmp, MakeImage(4, 4, Blocks16));
    for (int k = 0; k < 4; ++k) bmp[18 + k] = bmp[22 + k] = char((30000 >> (8 * k)) & 0xFF);
    EXPECT_EQ(4, DecodeFromMemory(bmp).code);
}

TEST_F(TvwicApi, ComIsLeftAsTheThreadHadIt) {
    std::string bytes = Encoded(Container::Png, 8, 8, Blocks16);
    // A thread without COM still has none afterwards.
    HRESULT after = E_FAIL;
    int code = -1;
    std::thread([&] {
        code = DecodeFromMemory(bytes).code;
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) CoUninitialize();
    }).join();
    EXPECT_EQ(0, code);
    EXPECT_EQ(S_OK, after);  // S_OK: nobody had initialised it
    // A thread in the multithreaded apartment keeps it, and the decode works there.
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        code = DecodeFromMemory(bytes).code;
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        after = CoGetApartmentType(&type, &qualifier);
        if (SUCCEEDED(after) && type != APTTYPE_MTA) after = E_UNEXPECTED;
        CoUninitialize();
    }).join();
    EXPECT_EQ(0, code);
    EXPECT_EQ(S_OK, after);
}
