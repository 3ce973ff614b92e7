// Damaged pictures: thousands of valid files cut short or with bytes
// changed, each handed to every export.  None may crash, hang or hand back
// blocks that do not hold what their header says.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "TestSupport.h"
#include "TvwicLibrary.h"
#include "WicPictures.h"

namespace {
struct Random {
    uint32_t state;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }
};

std::string Mutate(const std::string& seed, Random& r) {
    std::string b = seed;
    switch (r.Below(6)) {
    case 0:  // cut short
        b.resize(r.Below(b.size()));
        break;
    case 1:  // a few bytes changed anywhere
        for (size_t n = 1 + r.Below(8); n > 0; --n) b[r.Below(b.size())] = char(r.Next());
        break;
    case 2:  // header bytes changed: sizes, depths, lengths
        for (size_t n = 1 + r.Below(4); n > 0; --n) b[r.Below(b.size() < 96 ? b.size() : 96)] = char(r.Next());
        break;
    case 3: {  // a large number written over four bytes
        size_t at = r.Below(b.size() > 4 ? b.size() - 4 : 1);
        uint32_t big = (r.Next() & 1) ? 0x7FFFFFFFu : 0xFFFF0000u | r.Next();
        for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = char(big >> (8 * k));
        break;
    }
    case 4: {  // a run of bytes left out
        size_t at = r.Below(b.size()), n = 1 + r.Below(64);
        b.erase(at, n);
        break;
    }
    default: {  // random bytes put in
        std::string noise(1 + r.Below(64), '\0');
        for (char& c : noise) c = char(r.Next());
        b.insert(r.Below(b.size()), noise);
        break;
    }
    }
    return b;
}

std::vector<std::string> Seeds() {
    std::vector<std::string> seeds;
    TestImage blocks = MakeImage(24, 18, Blocks16);
    TestImage smooth = MakeImage(33, 20, Smooth);
    for (Container c : {Container::Png, Container::Jpeg, Container::Gif, Container::Tiff, Container::Bmp})
        seeds.push_back(EncodePicture(c, c == Container::Jpeg ? smooth : blocks));
    seeds.push_back(EncodePicture(Container::Png, MakeImage(20, 12, [](int x, int) { return uint32_t(x * 12) << 24 | 0x406080u; }), true));
    seeds.push_back(WithJpegOrientation(seeds[1], 6));
    seeds.push_back(WithPngOrientation(seeds[0], 8));
    return seeds;
}

bool AcceptableCode(int code) { return code == 0 || code == 2 || code == 3 || code == 4; }
}  // namespace

TEST(TvwicRobustness, ThousandsOfDamagedPicturesNeverCrashTheDecoder) {
    ASSERT_TRUE(Plugin().loaded());
    const std::vector<std::string> seeds = Seeds();
    for (const std::string& s : seeds) ASSERT_FALSE(s.empty());
    const int kCases = 3000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(150);
    Random r{0x2545F491u};
    int done = 0, decoded = 0;
    std::map<int, int> codes;
    for (; done < kCases && std::chrono::steady_clock::now() < deadline; ++done) {
        std::string bytes = Mutate(seeds[done % seeds.size()], r);
        if (bytes.empty()) bytes = "x";
        char head[2048] = {};
        std::memcpy(head, bytes.data(), bytes.size() < 2048 ? bytes.size() : 2048);
        char name[] = "damaged";
        int supported = Plugin().IsSupported(name, reinterpret_cast<DWORD_PTR>(head));
        ASSERT_TRUE(supported == 0 || supported == 1) << done;
        SpiPictureInfo info;
        int infoCode = Plugin().GetPictureInfo(&bytes[0], long(bytes.size()), 1, &info);
        ASSERT_TRUE(AcceptableCode(infoCode)) << done << " code " << infoCode;
        Decoded d = DecodeFromMemory(bytes);
        ASSERT_TRUE(AcceptableCode(d.code)) << done << " code " << d.code;
        ++codes[d.code];
        if (d.code == 0) {
            ++decoded;
            ASSERT_TRUE(d.blocksValid) << done;
            ASSERT_EQ(0, infoCode) << done;
            EXPECT_EQ(info.width, d.width) << done;
            EXPECT_EQ(info.height, d.height) << done;
        } else {
            EXPECT_EQ(0u, d.infoSize + d.bitsSize) << done;
        }
    }
    std::printf("[          ] %d damaged pictures, %d still decoded; codes:", done, decoded);
    for (auto& [code, count] : codes) std::printf(" %d x%d", code, count);
    std::printf("\n");
    EXPECT_GE(done, 1000);
    EXPECT_GT(codes[3] + codes[2], 0);
}

TEST(TvwicRobustness, FilesCutAtEveryLengthAreReadSafely) {
    ASSERT_TRUE(Plugin().loaded());
    TempDir dir;
    std::string jpeg = EncodePicture(Container::Jpeg, MakeImage(16, 16, Smooth));
    std::string path = dir.File("cut.jpg");
    for (size_t cut = 0; cut <= jpeg.size(); cut += 1 + jpeg.size() / 40) {
        WriteBytes(path, jpeg.substr(0, cut));
        Decoded d = DecodeFromFile(path);
        EXPECT_TRUE(AcceptableCode(d.code) || d.code == 6) << cut;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        std::string name = path;
        int supported = Plugin().IsSupported(&name[0], reinterpret_cast<DWORD_PTR>(h));
        CloseHandle(h);
        EXPECT_EQ(cut >= 3 ? 1 : 0, supported) << cut;
    }
}
