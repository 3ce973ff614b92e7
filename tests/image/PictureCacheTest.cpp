#include <gtest/gtest.h>

#include "TestPictures.h"
#include "TestSupport.h"
#include "settings/AppSettings.h"
#include "framework/UserMessages.h"
#include "image/CWallBitmapList.h"
#include "image/PreviewMaker.h"
#include "image/PreviewStore.h"
#include "util/FileIO.h"

#include <cstring>
#include "list/WallPaperList.h"

namespace {
struct CacheFixture : ::testing::Test {
    TempDir dir;
    MemoryProfile profile;
    std::unique_ptr<AppSettings> settings;
    WallPaperList list;
    std::unique_ptr<CWallBitmapList> cache;
    std::string a, b, c;

    void SetUp() override {
        settings = std::make_unique<AppSettings>(profile);
        a = dir.File("a.bmp");
        b = dir.File("b.bmp");
        c = dir.File("c.bmp");
        WriteTestBitmap(a, 8, 4, Gradient);
        WriteTestBitmap(b, 3, 3, SolidRed);
        WriteTestBitmap(c, 5, 2, Gradient);
        cache = std::make_unique<CWallBitmapList>(&list, settings.get());
    }
    void List(std::initializer_list<std::string> paths) {
        list.Clear();
        for (const std::string& p : paths) list.Append(std::make_unique<CWallPaperData>("n", p, 0));
    }
    int Count(const std::string& path) {
        const CPictureData* p = cache->Find(path);
        return p ? p->m_nRefCount : 0;
    }
};
}  // namespace

TEST_F(CacheFixture, LoadsCountReferencesAndOneUnloadRemoves) {
    EXPECT_TRUE(cache->Load(a));
    EXPECT_TRUE(cache->Load(a));
    EXPECT_TRUE(cache->Load(a));
    EXPECT_EQ(1u, cache->count());
    EXPECT_EQ(3, Count(a));
    HBITMAP bitmap = cache->GetBitmap(a);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(8, BitmapSize(bitmap).cx);
    EXPECT_EQ(Gradient(2, 1), BitmapPixel(bitmap, 2, 1));
    EXPECT_TRUE(cache->Unload(a));
    EXPECT_EQ(nullptr, cache->GetBitmap(a));
    EXPECT_FALSE(cache->Unload(a));
}

TEST_F(CacheFixture, EmptyAndUndecodablePathsCacheNothing) {
    ScopedMessageRecorder messages;
    EXPECT_FALSE(cache->Load(""));
    EXPECT_FALSE(cache->Unload(""));
    EXPECT_EQ(nullptr, cache->GetBitmap(""));
    WriteBytes(dir.File("bad.bmp"), "not a picture");
    EXPECT_FALSE(cache->Load(dir.File("bad.bmp")));
    EXPECT_FALSE(cache->Load(dir.File("missing.bmp")));
    EXPECT_EQ(0u, cache->count());
    EXPECT_TRUE(messages.shown.empty()) << "the bitmap reader fails silently";
}

TEST_F(CacheFixture, PathsDifferingInCaseAreTwoPictures) {
    std::string upper = a;
    for (char& ch : upper) ch = (char)toupper((unsigned char)ch);
    ASSERT_TRUE(cache->Load(a));
    ASSERT_TRUE(cache->Load(upper));
    EXPECT_EQ(2u, cache->count());
    EXPECT_NE(cache->GetBitmap(a), cache->GetBitmap(upper));
}

TEST_F(CacheFixture, SynchronizeWithoutPreloadOnlyDrops) {
    cache->Load(a);
    cache->Load(b);
    cache->Load(c);
    List({a, c, c});
    cache->Synchronize();
    EXPECT_EQ(2u, cache->count());
    EXPECT_EQ(nullptr, cache->GetBitmap(b));
    EXPECT_EQ(1, Count(a));
    EXPECT_EQ(1, Count(c));
}

// Preloading makes the stored previews ahead and keeps no full picture; a
// restarted cache shows them without decoding, and a changed file is not
// shown from its old preview.
TEST_F(CacheFixture, PreloadMakesStoredPreviewsThatARestartShowsWithoutDecoding) {
    list.SetPath(dir.File("List.tvl"));
    settings->preloadPreviewPics = true;
    List({a, b, a, dir.File("missing.bmp")});
    cache->Synchronize();
    for (int i = 0; i < 200 && cache->previewMaker().busy(); ++i) Sleep(50);
    EXPECT_FALSE(cache->previewMaker().busy());
    EXPECT_EQ(0u, cache->count());
    EXPECT_EQ(2u, cache->previewMaker().made());
    EXPECT_TRUE(cache->SaveCacheFile());
    ASSERT_TRUE(FileExists(dir.File("List.previews")));

    cache = std::make_unique<CWallBitmapList>(&list, settings.get());
    ShownPreview shown;
    ASSERT_TRUE(cache->LoadStoredPreview(a, PreviewNeed{480, 270, 0}, &shown));
    EXPECT_EQ(8, shown.pictureWidth);
    EXPECT_EQ(4, shown.pictureHeight);
    EXPECT_NE(nullptr, shown.bitmap.get());
    EXPECT_TRUE(cache->LoadStoredPreview(b, PreviewNeed{480, 270, 0}, &shown));
    EXPECT_EQ(0u, cache->decodeCount());
    EXPECT_EQ(2u, cache->storedPreviewsShown());

    WriteTestBitmap(a, 9, 4, Gradient);  // another size: another file
    EXPECT_FALSE(cache->LoadStoredPreview(a, PreviewNeed{480, 270, 0}, &shown));
    // A decode stores it afresh; an unlisted picture's preview goes at the save.
    EXPECT_TRUE(cache->Load(a));
    EXPECT_TRUE(cache->LoadStoredPreview(a, PreviewNeed{480, 270, 0}, &shown));
    EXPECT_EQ(9, shown.pictureWidth);
    List({a});
    cache->SaveCacheFile();
    EXPECT_EQ(1u, cache->previewStore().count());
}

// With storing put off, a decode shows its picture first: the preview is
// stored when asked, or when the picture leaves the cache before that, and
// never for a picture the list no longer holds.
TEST_F(CacheFixture, PreviewsPutOffAreStoredLaterOrWhenThePictureLeaves) {
    list.SetPath(dir.File("List.tvl"));
    List({a, b, c});
    cache = std::make_unique<CWallBitmapList>(&list, settings.get());  // its store beside the list
    int told = 0;
    cache->SetPreviewsWaiting([&] { ++told; });
    ASSERT_TRUE(cache->Load(a));
    ASSERT_TRUE(cache->Load(b));
    EXPECT_EQ(1, told) << "told once for the first that waits";
    EXPECT_EQ(0u, cache->previewStore().count());
    cache->StoreWaitingPreviews();
    EXPECT_EQ(2u, cache->previewStore().count());

    ASSERT_TRUE(cache->Load(c));
    EXPECT_EQ(2, told);
    EXPECT_TRUE(cache->Unload(c));
    EXPECT_EQ(3u, cache->previewStore().count()) << "stored as it left";

    cache->Unload(a);
    ASSERT_TRUE(cache->Load(a));  // stored already: nothing more to store
    WriteTestBitmap(dir.File("d.bmp"), 4, 4, SolidRed);
    ASSERT_TRUE(cache->Load(dir.File("d.bmp")));
    List({a, b, c});
    cache->Synchronize();
    cache->StoreWaitingPreviews();
    EXPECT_EQ(3u, cache->previewStore().count()) << "the unlisted picture's preview is never stored";
}

// A damaged or foreign store is set aside and the store starts again.
TEST_F(CacheFixture, ADamagedStoreIsSetAsideAndRebuilt) {
    list.SetPath(dir.File("List.tvl"));
    List({a});
    const std::string store = dir.File("List.previews");
    const char* damaged[] = {"not a store at all", "TVPREVS\0\1\0\0\0\5\0\0\0\xff\xff\xff\x7f"};
    for (const char* bytes : damaged) {
        cache.reset();  // no reader holds the file
        DWORD error = 0;
        ASSERT_TRUE(WriteFileAtomically(store, std::string(bytes, std::strlen(bytes) + 8), &error));
        cache = std::make_unique<CWallBitmapList>(&list, settings.get());
        ShownPreview shown;
        EXPECT_FALSE(cache->LoadStoredPreview(a, PreviewNeed{16, 16, 0}, &shown));
        EXPECT_TRUE(cache->previewStore().setAside());
        EXPECT_TRUE(FileExists(store + ".damaged"));
        EXPECT_TRUE(cache->Load(a));
        EXPECT_TRUE(cache->SaveCacheFile());
        cache = std::make_unique<CWallBitmapList>(&list, settings.get());
        EXPECT_TRUE(cache->LoadStoredPreview(a, PreviewNeed{16, 16, 0}, &shown));
        EXPECT_FALSE(cache->previewStore().setAside());
    }
}

TEST_F(CacheFixture, ReloadAllDropsWhatNoLongerDecodes) {
    cache->Load(a);
    cache->Load(a);
    cache->Load(b);
    DeleteFileW(W(b).c_str());
    cache->ReloadAll();
    EXPECT_EQ(1u, cache->count());
    EXPECT_EQ(1, Count(a));
    EXPECT_EQ(nullptr, cache->GetBitmap(b));
}

TEST_F(CacheFixture, PictureSizeIsTheBmpFileSize) {
    // 100 x 10 at 24 bits: rows of 300 bytes; at 8 bits: rows of 100 bytes and a palette.
    struct { WORD bits; int32_t size; } cases[] = {{24, 3054}, {8, 2078}, {1, 16 * 10 + 54 + 8}, {4, 52 * 10 + 54 + 64}};
    for (auto& c : cases) {
        std::vector<char> info(sizeof(BITMAPINFOHEADER) + 256 * 4, 0);
        auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        h->biSize = sizeof(*h);
        h->biWidth = 100;
        h->biHeight = 10;
        h->biPlanes = 1;
        h->biBitCount = c.bits;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(h), DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(nullptr, bitmap);
        EXPECT_EQ(c.size, CWallBitmapList::PictureSize(bitmap)) << c.bits;
        DeleteObject(bitmap);
    }
    EXPECT_EQ(-1, CWallBitmapList::PictureSize(nullptr));
    cache->Load(a);
    EXPECT_EQ(CWallBitmapList::PictureSize(cache->GetBitmap(a)), cache->Find(a)->m_nSize);
}

TEST_F(CacheFixture, CacheFileOperationsStoreNothing) {
    cache->Load(a);
    EXPECT_FALSE(cache->SaveCacheFile());
    EXPECT_FALSE(cache->LoadCacheFile());
    cache->UnloadAll();
    EXPECT_EQ(0u, cache->count());
}
