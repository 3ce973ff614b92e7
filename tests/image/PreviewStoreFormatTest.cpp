// The preview store's file layout and the sizes it keeps, without a window.
#include <gtest/gtest.h>

#include "image/PreviewNeed.h"
#include "image/PreviewStoreFormat.h"

namespace {
PreviewRecord Record(const std::string& path, uint32_t length) {
    PreviewRecord r;
    r.path = path;
    r.fileSize = 12345678901ull;
    r.writeTime = 0x01DA0102030405ull;
    r.lastShown = 77;
    r.pictureWidth = 4000;
    r.pictureHeight = 3000;
    r.width = 480;
    r.height = 360;
    r.length = length;
    return r;
}

// A whole file: header, index and `data` bytes of previews.
std::string FileOf(std::vector<PreviewRecord>* records) {
    std::string bytes = preview_store::Serialize(records);
    for (const PreviewRecord& r : *records) bytes.append(r.length, 'j');
    return bytes;
}

bool Parse(const std::string& file, std::vector<PreviewRecord>* out) {
    uint32_t count = 0, indexBytes = 0;
    const auto* p = reinterpret_cast<const uint8_t*>(file.data());
    if (!preview_store::ReadHeader(p, file.size(), file.size(), &count, &indexBytes)) return false;
    return preview_store::ParseIndex(p + preview_store::kHeaderBytes, indexBytes, file.size(), count, out);
}
}  // namespace

TEST(PreviewStoreFormat, RecordsComeBackAsWrittenAndAnyCutOrLieIsRefused) {
    std::vector<PreviewRecord> records = {Record("C:\\photos\\\x95\xc7\x8e\x86.jpg", 900),
                                          Record("D:\\a.lzh|inner/b.png", 1)};
    const std::string file = FileOf(&records);
    std::vector<PreviewRecord> back;
    ASSERT_TRUE(Parse(file, &back));
    ASSERT_EQ(2u, back.size());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(records[i].path, back[i].path);
        EXPECT_EQ(records[i].fileSize, back[i].fileSize);
        EXPECT_EQ(records[i].writeTime, back[i].writeTime);
        EXPECT_EQ(records[i].lastShown, back[i].lastShown);
        EXPECT_EQ(4000u, back[i].pictureWidth);
        EXPECT_EQ(360u, back[i].height);
        EXPECT_EQ(records[i].offset, back[i].offset);
        EXPECT_EQ(records[i].length, back[i].length);
    }
    EXPECT_EQ(back[0].offset + 900, back[1].offset) << "the data follows in the records' order";
    EXPECT_EQ(file.size(), back[1].offset + 1);

    // Every shorter file is refused: the last preview's bytes are missing.
    for (size_t size = 0; size < file.size(); size += (size < 200 ? 1 : 97)) {
        std::vector<PreviewRecord> cut;
        EXPECT_FALSE(Parse(file.substr(0, size), &cut)) << size;
    }
    std::string foreign = file;
    foreign[0] = 'X';
    EXPECT_FALSE(Parse(foreign, &back));
    std::string later = file;
    later[8] = 2;  // a version this program does not know
    EXPECT_FALSE(Parse(later, &back));
    std::string claims = file;
    claims[12] = 3;  // one entry more than the index holds
    EXPECT_FALSE(Parse(claims, &back));
}

TEST(PreviewStoreFormat, ThePathSeenTwiceKeepsItsFirstEntryAndAnEmptyStoreReads) {
    std::vector<PreviewRecord> records = {Record("C:\\a.jpg", 10), Record("C:\\a.jpg", 20)};
    records[1].lastShown = 99;
    std::vector<PreviewRecord> back;
    ASSERT_TRUE(Parse(FileOf(&records), &back));
    ASSERT_EQ(1u, back.size());
    EXPECT_EQ(77u, back[0].lastShown);

    std::vector<PreviewRecord> none;
    ASSERT_TRUE(Parse(FileOf(&none), &back));
    EXPECT_TRUE(back.empty());
}

TEST(PreviewNeed, StoredSizesServeTheWindowOfTheLargestMonitorWithoutEnlarging) {
    // Stretch, fit and fill on 1920x1080: a quarter each way, both sides covered.
    PreviewNeed whole = PreviewWindowNeed(1920, 1080, false);
    EXPECT_EQ(480, whole.width);
    EXPECT_EQ(270, whole.height);
    EXPECT_EQ(0, whole.centreScale);
    PreviewSize photo = StoredPreviewSize(4000, 3000, whole);
    EXPECT_EQ(480, photo.width);
    EXPECT_EQ(360, photo.height);
    PreviewSize tall = StoredPreviewSize(3000, 4000, whole);
    EXPECT_EQ(480, tall.width) << "a portrait photo stretched wide needs its width";
    EXPECT_EQ(640, tall.height);

    // Centre and tile draw the picture at the window's scale of the monitor.
    PreviewNeed centred = PreviewWindowNeed(1920, 1080, true);
    EXPECT_DOUBLE_EQ(0.25, centred.centreScale);
    PreviewSize big = StoredPreviewSize(4000, 3000, centred);
    EXPECT_EQ(1000, big.width);
    EXPECT_EQ(750, big.height);

    // Never larger than the picture; a tiny picture is kept whole.
    PreviewSize icon = StoredPreviewSize(64, 48, whole);
    EXPECT_EQ(64, icon.width);
    EXPECT_EQ(48, icon.height);
    EXPECT_EQ(0, StoredPreviewSize(0, 10, whole).width);

    // The wider of two needs serves both.
    PreviewNeed both = Widest(whole, PreviewNeed{300, 400, 0});
    EXPECT_EQ(480, both.width);
    EXPECT_EQ(400, both.height);
}

TEST(PreviewNeed, APreviewFitsWithinAPixelOfRoundingButNotWhenTooSmall) {
    PreviewNeed whole = PreviewWindowNeed(1920, 1080, false);
    EXPECT_TRUE(StoredPreviewFits(480, 360, 4000, 3000, whole));
    EXPECT_TRUE(StoredPreviewFits(479, 359, 4000, 3000, whole)) << "rounding";
    EXPECT_FALSE(StoredPreviewFits(470, 352, 4000, 3000, whole));
    EXPECT_FALSE(StoredPreviewFits(480, 360, 4000, 3000, PreviewWindowNeed(2560, 1440, false)))
        << "a larger monitor asks for more";
    EXPECT_FALSE(StoredPreviewFits(480, 360, 4000, 3000, PreviewWindowNeed(1920, 1080, true)))
        << "made for stretch, too small to centre";
    EXPECT_TRUE(StoredPreviewFits(64, 48, 64, 48, whole)) << "the whole picture always fits";
    EXPECT_FALSE(StoredPreviewFits(0, 0, 64, 48, whole));
}
