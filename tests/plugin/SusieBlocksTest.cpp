// The checks of plug-in blocks, run natively under AddressSanitizer: every
// block here is a heap allocation of exactly the size a plug-in would have
// handed back, so a read past it is caught.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "plugin/CArcFileEntry.h"
#include "plugin/SusieBlocks.h"

namespace {
// A heap block of exactly `bytes.size()` bytes.
class ExactBlock {
public:
    explicit ExactBlock(const std::vector<uint8_t>& bytes)
        : m_size(bytes.size()), m_data(new uint8_t[bytes.size() ? bytes.size() : 1]) {
        if (!bytes.empty()) std::memcpy(m_data.get(), bytes.data(), bytes.size());
    }
    const uint8_t* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
private:
    size_t m_size;
    std::unique_ptr<uint8_t[]> m_data;
};

void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
    if (b->size() < at + 4) b->resize(at + 4, 0);
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(std::vector<uint8_t>* b, size_t at, uint16_t v) {
    if (b->size() < at + 2) b->resize(at + 2, 0);
    (*b)[at] = static_cast<uint8_t>(v);
    (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A BITMAPINFO block: header of `headerSize` bytes, then `extra` bytes.
std::vector<uint8_t> Header(int32_t width, int32_t height, uint16_t bits, uint32_t compression = kBiRgb,
                            uint32_t clrUsed = 0, uint32_t headerSize = 40, size_t extra = 0) {
    std::vector<uint8_t> b(headerSize < 40 ? 40 : headerSize, 0);
    Put32(&b, 0, headerSize);
    Put32(&b, 4, static_cast<uint32_t>(width));
    Put32(&b, 8, static_cast<uint32_t>(height));
    Put16(&b, 12, 1);
    Put16(&b, 14, bits);
    Put32(&b, 16, compression);
    Put32(&b, 32, clrUsed);
    b.resize(b.size() + extra, 0);
    return b;
}

size_t Stride(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

DibCheck Check(const std::vector<uint8_t>& info, size_t pixelBytes, DibLayout* layout = nullptr) {
    ExactBlock block(info);
    DibLayout local;
    return CheckDibBlocks(block.data(), block.size(), pixelBytes, layout ? layout : &local);
}
}  // namespace

TEST(SusieBlocksDib, AcceptsTrueColourAndGivesACleanHeader) {
    DibLayout layout;
    std::vector<uint8_t> info = Header(7, 5, 24);
    Put32(&info, 20, 0);  // biSizeImage 0 is allowed
    ASSERT_EQ(DibCheck::Ok, Check(info, Stride(7, 24) * 5, &layout));
    EXPECT_EQ(7, layout.width);
    EXPECT_EQ(5, layout.height);
    EXPECT_EQ(24u, layout.stride);
    EXPECT_EQ(24u * 5, layout.pixelBytes);
    ASSERT_EQ(40u, layout.info.size());
    EXPECT_EQ(40u, Get32(layout.info, 0));
    EXPECT_EQ(24u * 5, Get32(layout.info, 20));  // recomputed
    EXPECT_EQ(0u, Get32(layout.info, 32));
}

TEST(SusieBlocksDib, AcceptsTopDownRowsAndLargerPixelBlocks) {
    DibLayout layout;
    EXPECT_EQ(DibCheck::Ok, Check(Header(3, -4, 32), 3 * 4 * 4 + 100, &layout));
    EXPECT_EQ(-4, layout.height);
    EXPECT_EQ(48u, layout.pixelBytes);
    EXPECT_EQ(static_cast<uint32_t>(-4), Get32(layout.info, 8));
}

TEST(SusieBlocksDib, PaletteComesFromBiClrUsedOrTheDepth) {
    DibLayout layout;
    // Full table for 8 bits when biClrUsed is 0.
    std::vector<uint8_t> full = Header(2, 2, 8, kBiRgb, 0, 40, 256 * 4);
    for (int i = 0; i < 256; ++i) Put32(&full, 40 + 4 * i, 0x010203u * i);
    ASSERT_EQ(DibCheck::Ok, Check(full, Stride(2, 8) * 2, &layout));
    EXPECT_EQ(256u, layout.colorCount);
    ASSERT_EQ(40u + 1024, layout.info.size());
    EXPECT_EQ(0x010203u * 255, Get32(layout.info, 40 + 4 * 255));

    // A short table named by biClrUsed.
    ASSERT_EQ(DibCheck::Ok, Check(Header(9, 1, 4, kBiRgb, 3, 40, 12), Stride(9, 4), &layout));
    EXPECT_EQ(3u, layout.colorCount);
    EXPECT_EQ(52u, layout.info.size());

    // biClrUsed beyond what 1 bit can index is cut to 2 entries.
    ASSERT_EQ(DibCheck::Ok, Check(Header(33, 2, 1, kBiRgb, 1000, 40, 8), Stride(33, 1) * 2, &layout));
    EXPECT_EQ(2u, layout.colorCount);
    EXPECT_EQ(8u, Stride(33, 1));

    // True colour keeps no table even when one is named.
    ASSERT_EQ(DibCheck::Ok, Check(Header(1, 1, 24, kBiRgb, 5, 40, 0), 4, &layout));
    EXPECT_EQ(0u, layout.colorCount);
}

TEST(SusieBlocksDib, BitfieldMasksAfterOrInsideTheHeader) {
    DibLayout layout;
    std::vector<uint8_t> after = Header(4, 4, 16, kBiBitfields, 0, 40, 12);
    Put32(&after, 40, 0xF800);
    Put32(&after, 44, 0x07E0);
    Put32(&after, 48, 0x001F);
    ASSERT_EQ(DibCheck::Ok, Check(after, Stride(4, 16) * 4, &layout));
    ASSERT_EQ(52u, layout.info.size());
    EXPECT_EQ(0xF800u, Get32(layout.info, 40));
    EXPECT_EQ(0x001Fu, Get32(layout.info, 48));

    // A version 4 header (108 bytes) carries the masks itself.
    std::vector<uint8_t> v4 = Header(4, 4, 32, kBiBitfields, 0, 108);
    Put32(&v4, 40, 0xFF0000);
    Put32(&v4, 44, 0xFF00);
    Put32(&v4, 48, 0xFF);
    ASSERT_EQ(DibCheck::Ok, Check(v4, 64, &layout));
    EXPECT_EQ(40u, Get32(layout.info, 0));  // handed on as a plain header
    EXPECT_EQ(0xFF00u, Get32(layout.info, 44));

    // Masks missing from a 40-byte block.
    EXPECT_EQ(DibCheck::TableOutsideBlock, Check(Header(4, 4, 16, kBiBitfields, 0, 40, 8), 64));
}

TEST(SusieBlocksDib, HeaderThatDoesNotFitItsBlockIsRefused) {
    std::vector<uint8_t> tooBig = Header(4, 4, 24);
    Put32(&tooBig, 0, 4000);
    EXPECT_EQ(DibCheck::HeaderOutsideBlock, Check(tooBig, 1000));
    EXPECT_EQ(DibCheck::HeaderTooSmall, Check(std::vector<uint8_t>(39, 0), 1000));
    std::vector<uint8_t> core = Header(4, 4, 24);
    Put32(&core, 0, 12);  // the old core header has another layout
    EXPECT_EQ(DibCheck::HeaderTooSmall, Check(core, 1000));
    DibLayout layout;
    EXPECT_EQ(DibCheck::HeaderTooSmall, CheckDibBlocks(nullptr, 40, 100, &layout));
}

TEST(SusieBlocksDib, SizesOutsideTheLimitsAreRefused) {
    EXPECT_EQ(DibCheck::BadSize, Check(Header(0, 4, 24), 1000));
    EXPECT_EQ(DibCheck::BadSize, Check(Header(-4, 4, 24), 1000));
    EXPECT_EQ(DibCheck::BadSize, Check(Header(4, 0, 24), 1000));
    EXPECT_EQ(DibCheck::BadSize, Check(Header(4, INT32_MIN, 24), 1000));
    EXPECT_EQ(DibCheck::BadSize, Check(Header(kMaxPictureSide + 1, 1, 24), 1u << 30));
    // The largest picture asks for more than any block here holds, without overflowing.
    EXPECT_EQ(DibCheck::PixelsShort, Check(Header(kMaxPictureSide, -kMaxPictureSide, 32), 1u << 30));
}

TEST(SusieBlocksDib, DepthsAndCompressionsTheHostDoesNotTake) {
    EXPECT_EQ(DibCheck::BadFormat, Check(Header(4, 4, 7), 1000));
    EXPECT_EQ(DibCheck::BadFormat, Check(Header(4, 4, 0), 1000));
    EXPECT_EQ(DibCheck::BadFormat, Check(Header(4, 4, 24, kBiBitfields, 0, 40, 12), 1000));
    EXPECT_EQ(DibCheck::BadFormat, Check(Header(4, 4, 8, 1 /* RLE8 */, 0, 40, 1024), 1000));
    EXPECT_EQ(DibCheck::BadFormat, Check(Header(4, 4, 32, 4 /* JPEG */), 1000));
}

TEST(SusieBlocksDib, ColourTableOrRowsBeyondTheirBlocks) {
    // 8 bits with no table in the block at all.
    EXPECT_EQ(DibCheck::TableOutsideBlock, Check(Header(4, 4, 8), 1000));
    // One entry short.
    EXPECT_EQ(DibCheck::TableOutsideBlock, Check(Header(4, 4, 4, kBiRgb, 0, 40, 15 * 4), 1000));
    // Pixel rows one byte short; height claiming more rows than there are.
    EXPECT_EQ(DibCheck::PixelsShort, Check(Header(5, 3, 24), Stride(5, 24) * 3 - 1));
    EXPECT_EQ(DibCheck::Ok, Check(Header(5, 3, 24), Stride(5, 24) * 3));
    EXPECT_EQ(DibCheck::PixelsShort, Check(Header(5, 12, 24), Stride(5, 24) * 3));
    EXPECT_EQ(DibCheck::PixelsShort, Check(Header(5, 3, 24), 0));
}

namespace {
std::vector<uint8_t> Record(const char* method, uint32_t position, const std::string& dir, const std::string& name) {
    std::vector<uint8_t> r(kFileInfoSize, 0);
    std::memcpy(r.data(), method, std::strlen(method) < 8 ? std::strlen(method) : 8);
    Put32(&r, 8, position);
    Put32(&r, 12, position + 1);
    Put32(&r, 16, position + 2);
    Put32(&r, 20, 1700000000u);
    std::memcpy(r.data() + 24, dir.data(), dir.size() < 200 ? dir.size() : 200);
    std::memcpy(r.data() + 224, name.data(), name.size() < 200 ? name.size() : 200);
    Put32(&r, 424, 0xDEADBEEF);
    return r;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

FileInfoRun Parse(const std::vector<uint8_t>& bytes, std::vector<SusieFileRecord>* records) {
    ExactBlock block(bytes);
    return ParseFileInfoRun(block.data(), block.size(), FileInfoLayout::Bits32, records);
}
}  // namespace

TEST(SusieBlocksFileInfo, ReadsRecordsUpToTheTerminatingOne) {
    std::vector<SusieFileRecord> records;
    std::vector<uint8_t> run = Join({Record("lh5", 10, "pics/", "a.bmp"), Record("lh0", 20, "", "b.bmp"),
                                     std::vector<uint8_t>(kFileInfoSize, 0), Record("junk", 1, "x", "y")});
    ASSERT_EQ(FileInfoRun::Complete, Parse(run, &records));
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(10u, records[0].position);
    EXPECT_EQ(11u, records[0].packedSize);
    EXPECT_EQ(12u, records[0].unpackedSize);
    EXPECT_EQ(1700000000u, records[0].timestamp);
    EXPECT_EQ("pics/", records[0].directory);
    EXPECT_EQ("a.bmp", records[0].fileName);
    EXPECT_EQ(0xDEADBEEFu, records[0].crc);
    EXPECT_EQ("", records[1].directory);
    EXPECT_EQ(0, std::memcmp(records[1].method, "lh0\0\0\0\0\0", 8));
}

TEST(SusieBlocksFileInfo, TerminatorNeedsOnlyItsFirstByte) {
    std::vector<SusieFileRecord> records;
    std::vector<uint8_t> run = Record("tar", 0, "", "a");
    run.push_back(0);
    EXPECT_EQ(FileInfoRun::Complete, Parse(run, &records));
    EXPECT_EQ(1u, records.size());
    records.clear();
    EXPECT_EQ(FileInfoRun::Complete, Parse(std::vector<uint8_t>(1, 0), &records));
    EXPECT_TRUE(records.empty());
}

TEST(SusieBlocksFileInfo, MissingTerminatorOrCutRecordIsReported) {
    std::vector<SusieFileRecord> records;
    EXPECT_EQ(FileInfoRun::Unterminated, Parse(Join({Record("a", 0, "", "1"), Record("b", 0, "", "2")}), &records));
    EXPECT_EQ(2u, records.size());  // whole records only
    records.clear();
    std::vector<uint8_t> cut = Record("a", 0, "", "1");
    cut.resize(kFileInfoSize - 1);
    EXPECT_EQ(FileInfoRun::Unterminated, Parse(cut, &records));
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(FileInfoRun::Unterminated, Parse(std::vector<uint8_t>(), &records));
    EXPECT_EQ(FileInfoRun::Unterminated, ParseFileInfoRun(nullptr, 428, FileInfoLayout::Bits32, &records));
}

TEST(SusieBlocksFileInfo, NamesWithoutZeroStopAtTheirField) {
    std::vector<SusieFileRecord> records;
    std::vector<uint8_t> r = Record("m", 0, std::string(200, 'D'), std::string(200, 'N'));
    ASSERT_EQ(FileInfoRun::Complete, Parse(Join({r, std::vector<uint8_t>(1, 0)}), &records));
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(std::string(200, 'D'), records[0].directory);
    EXPECT_EQ(std::string(200, 'N'), records[0].fileName);
}

TEST(SusieBlocksFileInfo, ArcFileEntryKeepsEveryField) {
    SusieFileRecord rec;
    ASSERT_TRUE(ParseFileInfoRecord(Record("12345678", 7, "d/", "n.jpg").data(), kFileInfoSize, FileInfoLayout::Bits32, &rec));
    CArcFileEntry entry(rec);
    EXPECT_EQ(0x34333231u, entry.method[0]);
    EXPECT_EQ(0x38373635u, entry.method[1]);
    EXPECT_EQ("12345678", entry.MethodText());
    EXPECT_EQ(7u, entry.position);
    EXPECT_EQ(8u, entry.packedSize);
    EXPECT_EQ(9u, entry.unpackedSize);
    EXPECT_EQ("d/n.jpg", entry.MemberPath());
    EXPECT_EQ(0xDEADBEEFu, entry.crc);
    SusieFileRecord shortMethod;
    ASSERT_TRUE(ParseFileInfoRecord(Record("lh5", 0, "", "x").data(), kFileInfoSize, FileInfoLayout::Bits32, &shortMethod));
    EXPECT_EQ("lh5", CArcFileEntry(shortMethod).MethodText());
    EXPECT_FALSE(ParseFileInfoRecord(Record("x", 0, "", "").data(), kFileInfoSize - 1, FileInfoLayout::Bits32, &rec));
}

// 64-bit plug-ins: 8-byte numbers, records 444 bytes apart (packed) or 448
// (padded); the same field offsets either way.
namespace {
void Put64(std::vector<uint8_t>* out, size_t at, uint64_t v) {
    Put32(out, at, static_cast<uint32_t>(v));
    Put32(out, at + 4, static_cast<uint32_t>(v >> 32));
}

std::vector<uint8_t> Record64(size_t stride, const char* method, uint64_t position, const std::string& dir,
                              const std::string& name) {
    std::vector<uint8_t> r(stride, 0);
    std::memcpy(r.data(), method, std::strlen(method) < 8 ? std::strlen(method) : 8);
    Put64(&r, 8, position);
    Put64(&r, 16, position + 1);
    Put64(&r, 24, position + 2);
    Put64(&r, 32, 0x100000000ull + 1700000000u);
    std::memcpy(r.data() + 40, dir.data(), dir.size() < 200 ? dir.size() : 200);
    std::memcpy(r.data() + 240, name.data(), name.size() < 200 ? name.size() : 200);
    Put32(&r, 440, 0xCAFEF00D);
    return r;
}

// `count` records named "dir<i>/" and "name<i>.jpg" at `stride`, then a
// terminating record of `stride` bytes; the block is `extra` bytes longer.
std::vector<uint8_t> Run64(size_t stride, int count, const char* method, size_t extra = 0) {
    std::vector<uint8_t> all;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> r = Record64(stride, method, 0x200000000ull + 512u * i, "dir" + std::to_string(i) + "/",
                                          "name" + std::to_string(i) + ".jpg");
        all.insert(all.end(), r.begin(), r.end());
    }
    all.resize(all.size() + stride + extra, 0);
    return all;
}

FileInfoRun Parse64(const std::vector<uint8_t>& bytes, std::vector<SusieFileRecord>* records, size_t* stride) {
    ExactBlock block(bytes);
    *stride = FileInfoStride(block.data(), block.size(), FileInfoLayout::Bits64);
    return ParseFileInfoRun(block.data(), block.size(), FileInfoLayout::Bits64, records);
}

void ExpectNamed(const std::vector<SusieFileRecord>& records, int count) {
    ASSERT_EQ(static_cast<size_t>(count), records.size());
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ("dir" + std::to_string(i) + "/", records[i].directory);
        EXPECT_EQ("name" + std::to_string(i) + ".jpg", records[i].fileName);
        EXPECT_EQ(0x200000000ull + 512u * i, records[i].position);
    }
}
}  // namespace

TEST(SusieBlocksFileInfo64, ReadsEveryFieldAtEitherStride) {
    for (size_t stride : {kFileInfoPackedSize64, kFileInfoPaddedSize64}) {
        SCOPED_TRACE(stride);
        std::vector<SusieFileRecord> records;
        size_t found = 0;
        ASSERT_EQ(FileInfoRun::Complete, Parse64(Run64(stride, 3, "Deflate"), &records, &found));
        EXPECT_EQ(stride, found);
        ExpectNamed(records, 3);
        EXPECT_EQ(0x200000001ull, records[0].packedSize);
        EXPECT_EQ(0x200000002ull, records[0].unpackedSize);
        EXPECT_EQ(0x100000000ull + 1700000000u, records[0].timestamp);
        EXPECT_EQ(0xCAFEF00Du, records[0].crc);
        EXPECT_EQ(0, std::memcmp(records[2].method, "Deflate\0", 8));
    }
    // One record read on its own: 444 bytes are enough, 443 are not.
    SusieFileRecord rec;
    std::vector<uint8_t> one = Record64(kFileInfoPackedSize64, "lh5", 7, "d/", "n.png");
    ASSERT_TRUE(ParseFileInfoRecord(one.data(), one.size(), FileInfoLayout::Bits64, &rec));
    EXPECT_EQ(7u, rec.position);
    EXPECT_EQ("n.png", rec.fileName);
    EXPECT_FALSE(ParseFileInfoRecord(one.data(), one.size() - 1, FileInfoLayout::Bits64, &rec));
    EXPECT_EQ(kFileInfoSize, FileInfoStride(one.data(), one.size(), FileInfoLayout::Bits32));
}

TEST(SusieBlocksFileInfo64, ContentDecidesWhenTheSizeDoesNot) {
    // 49728 bytes is a whole number of records at both strides.
    const size_t both = 444 * 112;
    ASSERT_EQ(0u, both % 448);
    for (size_t stride : {kFileInfoPackedSize64, kFileInfoPaddedSize64}) {
        for (const char* method : {"tar", "12345678"}) {
            SCOPED_TRACE(std::to_string(stride) + " " + method);
            std::vector<uint8_t> run = Run64(stride, 4, method);
            run.resize(both, 0);
            std::vector<SusieFileRecord> records;
            size_t found = 0;
            ASSERT_EQ(FileInfoRun::Complete, Parse64(run, &records, &found));
            EXPECT_EQ(stride, found);
            ExpectNamed(records, 4);
        }
    }
    // A block a plug-in made larger than its records (a size neither divides,
    // or one only the wrong stride divides).
    for (size_t extra : {size_t(100), size_t(444 * 6 - 448 * 4)}) {
        SCOPED_TRACE(extra);
        std::vector<SusieFileRecord> records;
        size_t found = 0;
        ASSERT_EQ(FileInfoRun::Complete, Parse64(Run64(kFileInfoPaddedSize64, 3, "ZIP", extra), &records, &found));
        EXPECT_EQ(kFileInfoPaddedSize64, found);
        ExpectNamed(records, 3);
    }
    // An empty listing: the terminator alone, at either size.
    std::vector<SusieFileRecord> none;
    size_t found = 0;
    EXPECT_EQ(FileInfoRun::Complete, Parse64(std::vector<uint8_t>(448, 0), &none, &found));
    EXPECT_TRUE(none.empty());
}

TEST(SusieBlocksFileInfo64, TruncatedOrUnterminatedBlocksStayInside) {
    for (size_t stride : {kFileInfoPackedSize64, kFileInfoPaddedSize64}) {
        SCOPED_TRACE(stride);
        std::vector<SusieFileRecord> records;
        size_t found = 0;
        // No terminator: the records there are, then the report.
        std::vector<uint8_t> run = Run64(stride, 2, "lh5");
        run.resize(2 * stride);
        EXPECT_EQ(FileInfoRun::Unterminated, Parse64(run, &records, &found));
        EXPECT_EQ(stride, found);
        ExpectNamed(records, 2);
        // The second record cut short: only the whole one is read (whether
        // the cut bytes pass for a terminator depends on the stride tried).
        records.clear();
        run.resize(stride + 300);
        Parse64(run, &records, &found);
        ExpectNamed(records, 1);
        // Shorter than one record.
        records.clear();
        run.resize(443);
        EXPECT_EQ(FileInfoRun::Unterminated, Parse64(run, &records, &found));
        EXPECT_TRUE(records.empty());
    }
    std::vector<SusieFileRecord> records;
    EXPECT_EQ(FileInfoRun::Unterminated, ParseFileInfoRun(nullptr, 448, FileInfoLayout::Bits64, &records));
    EXPECT_EQ(kFileInfoPackedSize64, FileInfoStride(nullptr, 448, FileInfoLayout::Bits64));
    // Names that fill their fields make no run sound: the size decides.
    std::vector<uint8_t> full;
    for (int i = 0; i < 2; ++i) {
        std::vector<uint8_t> r = Record64(kFileInfoPaddedSize64, "m", 0, std::string(200, 'D'), std::string(200, 'N'));
        full.insert(full.end(), r.begin(), r.end());
    }
    full.resize(full.size() + kFileInfoPaddedSize64, 0);
    size_t found = 0;
    ASSERT_EQ(FileInfoRun::Complete, Parse64(full, &records, &found));
    EXPECT_EQ(kFileInfoPaddedSize64, found);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(std::string(200, 'N'), records[1].fileName);
}
