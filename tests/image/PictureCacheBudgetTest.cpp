#include <gtest/gtest.h>

#include <functional>

#include "TestPictures.h"
#include "TestSupport.h"
#include "settings/AppSettings.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "image/PreviewMaker.h"
#include "image/DeferredPicture.h"
#include "list/WallPaperList.h"
#include "plugin/BitmapFile.h"
#include "plugin/SusieErrors.h"

// The cache's budget through the real cache and real decoded pictures: every
// picture here is 40 x 30, so each takes the same number of bytes.
namespace {
struct BudgetFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    ScopedMessageRecorder messages;
    std::unique_ptr<AppSettings> settings;
    WallPaperList list;
    std::unique_ptr<CWallBitmapList> cache;
    std::vector<std::string> paths;
    uint64_t one = 0;  // bytes of one picture

    void SetUp() override {
        settings = std::make_unique<AppSettings>(profile);
        for (int i = 0; i < 12; ++i) {
            paths.push_back(dir.File("p" + std::to_string(i) + ".bmp"));
            WriteTestBitmap(paths.back(), 40, 30, i % 2 ? Gradient : SolidRed);
        }
        cache = std::make_unique<CWallBitmapList>(&list, settings.get());
        ASSERT_TRUE(cache->Load(paths[0]));
        one = cache->heldBytes();
        ASSERT_GT(one, 40u * 30u);
        cache->UnloadAll();
    }
    // Room for `pictures` pictures and a half.
    void BudgetFor(int pictures) { cache->SetBudget(one * pictures + one / 2); }
    bool Cached(int i) const { return cache->Find(paths[i]) != nullptr; }
};

// Stands in for the system while plug-ins are off: the next `refusals`
// display bitmaps find no room, later ones are made as the system makes them.
struct RefusingSystem {
    static inline int refusals = 0, calls = 0;
    DisplayBitmapMaker system;
    explicit RefusingSystem(int n) : system(ReplaceDisplayBitmapMaker(&Make)) { refusals = n, calls = 0; }
    ~RefusingSystem() { ReplaceDisplayBitmapMaker(system); }
    static HBITMAP Make(HDC screen, const BITMAPINFO* info, const void* pixels) {
        ++calls;
        if (refusals > 0) {
            --refusals;
            return nullptr;
        }
        return CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, pixels, info, DIB_RGB_COLORS);
    }
};
}  // namespace

TEST_F(BudgetFixture, HoldsTheBudgetOverALongSequenceReleasingTheLeastRecentlyUsed) {
    BudgetFor(3);
    const uint64_t decodesBefore = cache->decodeCount();
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 12; ++i) {
            ASSERT_TRUE(cache->Load(paths[i]));
            EXPECT_LE(cache->heldBytes(), cache->budget());
            EXPECT_NE(nullptr, cache->GetBitmap(paths[i]));
        }
    }
    EXPECT_EQ(3u, cache->count());
    EXPECT_TRUE(Cached(9) && Cached(10) && Cached(11));
    EXPECT_EQ(decodesBefore + 60, cache->decodeCount());

    // Asking for 9 again makes 10 the oldest: it goes for the next one.
    cache->Load(paths[9]);
    cache->Load(paths[0]);
    EXPECT_TRUE(Cached(9));
    EXPECT_FALSE(Cached(10));
    EXPECT_TRUE(Cached(11));
    // A released picture is decoded again when asked for, as before.
    ASSERT_TRUE(cache->Load(paths[10]));
    EXPECT_EQ(Gradient(3, 2), BitmapPixel(cache->GetBitmap(paths[9]), 3, 2));
    EXPECT_EQ(SolidRed(0, 0), BitmapPixel(cache->GetBitmap(paths[10]), 5, 5));
    EXPECT_EQ(decodesBefore + 62, cache->decodeCount());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BudgetFixture, AHeldPictureIsNeverReleasedAndOneOverTheBudgetGoesWhenLetGo) {
    BudgetFor(2);
    PictureHold pinned = cache->LoadAndHold(paths[1]);
    ASSERT_TRUE(pinned);
    for (int i = 2; i < 12; ++i) cache->Load(paths[i]);
    EXPECT_TRUE(Cached(1));
    EXPECT_EQ(Gradient(7, 4), BitmapPixel(pinned.bitmap(), 7, 4));
    EXPECT_LE(cache->heldBytes(), cache->budget());
    // Unloaded under its user: the user's bitmap stays valid.
    EXPECT_TRUE(cache->Unload(paths[1]));
    EXPECT_EQ(Gradient(7, 4), BitmapPixel(pinned.bitmap(), 7, 4));
    pinned.reset();

    // A budget smaller than one picture: the picture is still served, kept
    // while held, and released once let go.
    cache->SetBudget(one / 2);
    EXPECT_EQ(0u, cache->count());
    PictureHold big = cache->LoadAndHold(paths[3]);
    ASSERT_TRUE(big);
    EXPECT_EQ(40, BitmapSize(big.bitmap()).cx);
    cache->Load(paths[4]);
    EXPECT_TRUE(Cached(3)) << "held over the budget";
    big.reset();
    EXPECT_FALSE(Cached(3));
    EXPECT_LE(cache->heldBytes(), cache->budget() + one);

    // A hold may outlive the cache.
    PictureHold late = cache->LoadAndHold(paths[5]);
    cache.reset();
    EXPECT_EQ(40, BitmapSize(late.bitmap()).cx);
    late.reset();
}

// Preloading spends none of the budget: the previews are made ahead, once,
// quietly, and the full pictures are not kept.
TEST_F(BudgetFixture, PreloadKeepsNoPictureAndMakesEachPreviewOnce) {
    BudgetFor(4);
    settings->preloadPreviewPics = true;
    list.Clear();
    for (const std::string& p : paths) list.Append(std::make_unique<CWallPaperData>("n", p, 0));
    for (int round = 0; round < 2; ++round) {
        cache->Synchronize();
        for (int i = 0; i < 200 && cache->previewMaker().busy(); ++i) Sleep(50);
        // The first picture left its preview when the fixture decoded it.
        EXPECT_EQ(11u, cache->previewMaker().made());
        EXPECT_EQ(11u, cache->previewMaker().decodes());
    }
    EXPECT_EQ(0u, cache->count());
    EXPECT_EQ(0u, cache->heldBytes());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BudgetFixture, LackOfMemoryReleasesWhatItMayThenSaysSoOnce) {
    BudgetFor(6);
    for (int i = 0; i < 4; ++i) cache->Load(paths[i]);
    PictureHold pinned = cache->Hold(paths[0]);
    // A decoder that runs out of memory while more than one picture is held.
    int calls = 0;
    cache->SetDecoder([&](const std::string& path, int* memoryCode) -> HBITMAP {
        ++calls;
        if (cache->count() > 1) {
            *memoryCode = SusieResult::kNoMemory;
            return nullptr;
        }
        return static_cast<HBITMAP>(LoadImageW(nullptr, W(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    });
    ASSERT_TRUE(cache->Load(paths[5]));
    EXPECT_EQ(2, calls);
    EXPECT_TRUE(Cached(0)) << "held";
    EXPECT_FALSE(Cached(1) || Cached(2) || Cached(3));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(cache->lastLoadLackedMemory());

    // Still no memory with nothing left to release: one box, the code-4 text.
    cache->Load(paths[6]);
    cache->SetDecoder([&](const std::string&, int* memoryCode) -> HBITMAP {
        *memoryCode = SusieResult::kNoMemory;
        return nullptr;
    });
    EXPECT_FALSE(cache->Load(paths[7]));
    EXPECT_TRUE(cache->lastLoadLackedMemory());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("(4)"));
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("メモリーが確保出来ない"));
    EXPECT_TRUE(Cached(0));
}

// A decode that shows a box lets messages run, and a preview may ask for a
// picture meanwhile: the same one (counted once, the budget intact) or,
// the selection having moved on, another one (which the preview then shows).
TEST_F(BudgetFixture, RequestsWhileADecodeRunsCountPicturesOnceAndShowWhereTheSelectionRests) {
    BudgetFor(3);
    std::function<void()> meanwhile;
    cache->SetDecoder([&](const std::string& path, int*) -> HBITMAP {
        if (meanwhile) {
            std::function<void()> run = std::move(meanwhile);
            meanwhile = nullptr;
            run();
        }
        return static_cast<HBITMAP>(LoadImageW(nullptr, W(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    });
    for (int event = 0; event < 7; ++event) {
        meanwhile = [&] { cache->Load(paths[1]); };
        ASSERT_TRUE(cache->Load(paths[1]));
        uint64_t sum = 0;
        for (const auto& picture : cache->pictures()) sum += picture.second->BudgetBytes();
        EXPECT_EQ(sum, cache->heldBytes());
        EXPECT_EQ(one, cache->heldBytes());
        cache->Unload(paths[1]);
    }
    EXPECT_EQ(0u, cache->heldBytes());

    ASSERT_TRUE(cache->Load(paths[2]));
    DeferredPicture preview;  // no window: a picture not cached is decoded at once
    preview.Attach(nullptr, cache.get(), nullptr);
    meanwhile = [&] { preview.Request(paths[2]); };
    preview.Request(paths[3]);
    EXPECT_EQ(paths[2], preview.path());
    EXPECT_EQ(cache->GetBitmap(paths[2]), preview.bitmap());
    EXPECT_LE(cache->heldBytes(), cache->budget());
}

TEST_F(BudgetFixture, ABitmapFileWithoutRoomForItsBitmapReleasesWhatItMayAndIsTriedOnceMore) {
    BudgetFor(6);
    for (int i = 0; i < 4; ++i) cache->Load(paths[i]);
    PictureHold pinned = cache->Hold(paths[0]);
    const uint64_t decodes = cache->decodeCount();
    {
        RefusingSystem system(1);
        ASSERT_TRUE(cache->Load(paths[5]));
        EXPECT_EQ(2, RefusingSystem::calls);
    }
    EXPECT_EQ(decodes + 2, cache->decodeCount());
    EXPECT_TRUE(Cached(0)) << "held";
    EXPECT_FALSE(Cached(1) || Cached(2) || Cached(3));
    EXPECT_EQ(Gradient(3, 2), BitmapPixel(cache->GetBitmap(paths[5]), 3, 2));
    EXPECT_TRUE(messages.shown.empty());

    // A damaged file is no lack of room: refused before the system sees it, and the cache keeps its pictures.
    RefusingSystem system(2);
    WriteBytes(dir.File("cut.bmp"), "BM not a picture");
    EXPECT_FALSE(cache->Load(dir.File("cut.bmp")));
    EXPECT_EQ(0, RefusingSystem::calls);
    EXPECT_TRUE(Cached(5));
    // No room even with nothing left to release: one box, the code-4 text.
    EXPECT_FALSE(cache->Load(paths[7]));
    EXPECT_EQ(2, RefusingSystem::calls);
    EXPECT_TRUE(cache->lastLoadLackedMemory());
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("(4)"));
}

TEST_F(BudgetFixture, TheBudgetComesFromTheProfileWithinItsRange) {
    EXPECT_EQ(256ull << 20, CWallBitmapList(&list, settings.get()).budget());
    const struct { int stored; uint32_t used; } cases[] = {{1, 32}, {64, 64}, {99999, 1024}, {-5, 32}};
    for (const auto& c : cases) {
        profile.WriteInt("Settings", "PictureCacheMiB", c.stored);
        AppSettings read(profile);
        EXPECT_EQ(c.used, read.pictureCacheMiB) << c.stored;
        EXPECT_EQ(uint64_t(c.used) << 20, CWallBitmapList(&list, &read).budget());
    }
}
