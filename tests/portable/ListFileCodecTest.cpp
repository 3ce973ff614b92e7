#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list/ListFileCodec.h"
#include "util/Cp932Convert.h"

namespace {

std::string Hex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') { ++i; continue; }
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

const char* const kWorkedExample =
    "02 00 ff ff 02 00 0e 00 43 57 61 6c 6c 50 61 70 65 72 44 61 74 61 08 43 3a 5c 61 2e 62 6d 70 00 01 61 00 00 00 00 "
    "00 00 00 00 00 00 00 00 01 00 00 00 01 80 08 43 3a 5c 62 2e 6a 70 67 00 01 62 02 00 00 00 00 00 00 00 00 00 00 00 "
    "00 00 00 00";

ListDecodeResult Decode(const std::string& bytes, WallPaperEntries* out) {
    return DecodeListFile(bytes.data(), bytes.size(), &Utf16ToCp932Lossy, out);
}

std::unique_ptr<CWallPaperData> Entry(const std::string& name, const std::string& path, DisplayStyle style,
                                      bool inUse) {
    auto e = std::make_unique<CWallPaperData>(name, path, style);
    e->m_bInUse = inUse;
    return e;
}

// The class record and the first object's tag, as the writer puts them.
const std::string kClassHeader = Hex("ff ff 02 00 0e 00") + "CWallPaperData";

std::string Schema2Body(const std::string& path, const std::string& name, int32_t style = 0) {
    std::string b;
    b.push_back(static_cast<char>(path.size()));
    b += path;
    b.push_back(0);  // reserved text
    b.push_back(static_cast<char>(name.size()));
    b += name;
    b += std::string(reinterpret_cast<const char*>(&style), 4);
    b += std::string(8, '\0');   // reserved numbers
    b += Hex("01 00 00 00");     // in use
    return b;
}

}  // namespace

TEST(ListFileCodec, WorkedExampleReadsAndWritesByteForByte) {
    std::string bytes = Hex(kWorkedExample);
    ASSERT_EQ(80u, bytes.size());

    WallPaperEntries entries;
    ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("C:\\a.bmp", entries[0]->m_strPath);
    EXPECT_EQ("a", entries[0]->m_strName);
    EXPECT_EQ(0, entries[0]->m_nStyle);
    EXPECT_TRUE(entries[0]->m_bInUse);
    EXPECT_EQ("C:\\b.jpg", entries[1]->m_strPath);
    EXPECT_EQ("b", entries[1]->m_strName);
    EXPECT_EQ(2, entries[1]->m_nStyle);
    EXPECT_FALSE(entries[1]->m_bInUse);

    WallPaperEntries made;
    made.push_back(Entry("a", "C:\\a.bmp", 0, true));
    made.push_back(Entry("b", "C:\\b.jpg", 2, false));
    EXPECT_EQ(bytes, EncodeListFile(made));
    EXPECT_EQ(bytes, EncodeListFile(entries));
}

TEST(ListFileCodec, EmptyListIsTwoZeroBytes) {
    EXPECT_EQ(Hex("00 00"), EncodeListFile(WallPaperEntries()));
    WallPaperEntries entries;
    EXPECT_EQ(ListDecodeResult::Ok, Decode(Hex("00 00"), &entries));
    EXPECT_TRUE(entries.empty());
}

TEST(ListFileCodec, StringPrefixesAtTheirBoundaries) {
    struct Case { size_t length; std::string prefix; };
    const Case cases[] = {
        {254, Hex("fe")},
        {255, Hex("ff ff 00")},
        {65533, Hex("ff fd ff")},
        {65534, Hex("ff ff ff fe ff 00 00")},
        {65535, Hex("ff ff ff ff ff 00 00")},
        {70000, Hex("ff ff ff 70 11 01 00")},
    };
    for (const Case& c : cases) {
        WallPaperEntries list;
        list.push_back(Entry("n", std::string(c.length, 'p'), 1, true));
        std::string bytes = EncodeListFile(list);
        // count, class record, then the path's prefix.
        size_t at = 2 + kClassHeader.size();
        EXPECT_EQ(c.prefix, bytes.substr(at, c.prefix.size())) << c.length;

        WallPaperEntries back;
        ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &back)) << c.length;
        ASSERT_EQ(1u, back.size());
        EXPECT_EQ(c.length, back[0]->m_strPath.size());
        EXPECT_EQ(*list[0], *back[0]);
    }
}

TEST(ListFileCodec, CountsOfFFFFAndAboveUseTheLongForm) {
    for (size_t n : {size_t(0xFFFE), size_t(0xFFFF), size_t(0x10001)}) {
        WallPaperEntries list;
        for (size_t i = 0; i < n; ++i) list.push_back(Entry("e", "p", 0, true));
        std::string bytes = EncodeListFile(list);
        if (n < 0xFFFF) {
            EXPECT_EQ(Hex("fe ff"), bytes.substr(0, 2));
        } else {
            EXPECT_EQ(Hex("ff ff"), bytes.substr(0, 2));
            uint32_t stored = 0;
            std::memcpy(&stored, bytes.data() + 2, 4);
            EXPECT_EQ(n, stored);
        }
        // Every entry after the first refers to the class with tag 0x8001.
        WallPaperEntries back;
        ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &back));
        EXPECT_EQ(n, back.size());
    }
}

TEST(ListFileCodec, SchemaOneEntriesReadFourFieldsAndDefaults) {
    std::string bytes = Hex("02 00 ff ff 01 00 0e 00") + "CWallPaperData" + Hex("03") + "x.b" + Hex("00 01") + "x" +
                        Hex("01 00 00 00") + Hex("01 80 01") + "y" + Hex("00 01") + "Y" + Hex("02 00 00 00");
    WallPaperEntries entries;
    ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("x.b", entries[0]->m_strPath);
    EXPECT_EQ("x", entries[0]->m_strName);
    EXPECT_EQ(1, entries[0]->m_nStyle);
    EXPECT_TRUE(entries[0]->m_bInUse);  // older files had no flag: every entry was shown
    EXPECT_EQ(0, entries[0]->m_nReserved1);
    EXPECT_EQ(0, entries[0]->m_nReserved2);
    EXPECT_EQ(2, entries[1]->m_nStyle);
}

TEST(ListFileCodec, WideStringsAreConvertedToCodePage932) {
    // Path in the UTF-16 form: marker, then 3 units "表.b"; name "壁" likewise.
    std::string bytes = Hex("01 00") + kClassHeader + Hex("ff fe ff 03 68 88 2e 00 62 00") + Hex("00") +
                        Hex("ff fe ff 01 c1 58") + Hex("00 00 00 00  00 00 00 00  00 00 00 00  01 00 00 00");
    WallPaperEntries entries;
    ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &entries));
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("\x95\x5c.b", entries[0]->m_strPath);  // 表 is 95 5C in code page 932
    EXPECT_EQ("\x95\xc7", entries[0]->m_strName);    // 壁
}

TEST(ListFileCodec, FormatFaultsGiveAnEmptyList) {
    const std::string body = Schema2Body("p", "n");
    const std::string cases[] = {
        // count 3, two entries
        Hex("03 00") + kClassHeader + body + Hex("01 80") + body,
        // tag naming a class never read
        Hex("01 00 02 80") + body,
        // another class name
        Hex("01 00 ff ff 02 00 0e 00") + "CWallPaperDatb" + body,
        // class name of 64 bytes
        Hex("01 00 ff ff 02 00 40 00") + std::string(64, 'C') + body,
        // tag 0 (no object)
        Hex("01 00 00 00"),
        // a plain index: an object read before
        Hex("02 00") + kClassHeader + body + Hex("02 00"),
        // a class reference to an object's index
        Hex("02 00") + kClassHeader + body + Hex("02 80") + body,
        // long tag without bit 31
        Hex("02 00") + kClassHeader + body + Hex("ff 7f 01 00 00 00") + body,
        // a string longer than the file
        Hex("01 00") + kClassHeader + Hex("ff 00 10") + "short",
        // a second wide marker
        Hex("01 00") + kClassHeader + Hex("ff fe ff ff fe ff"),
    };
    int i = 0;
    for (const std::string& bytes : cases) {
        WallPaperEntries entries;
        entries.push_back(Entry("old", "old", 0, true));
        EXPECT_EQ(ListDecodeResult::FormatFault, Decode(bytes, &entries)) << "case " << i;
        EXPECT_TRUE(entries.empty()) << "case " << i;
        ++i;
    }
}

TEST(ListFileCodec, LongClassReferenceTagIsAccepted) {
    std::string body = Schema2Body("p", "n");
    std::string bytes = Hex("02 00") + kClassHeader + body + Hex("ff 7f 01 00 00 80") + body;
    WallPaperEntries entries;
    ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &entries));
    EXPECT_EQ(2u, entries.size());
}

TEST(ListFileCodec, UnknownSchemaReadsNoFields) {
    // Schema 3: the entry is made but no field is read; the next item follows at once.
    std::string bytes = Hex("02 00 ff ff 03 00 0e 00") + "CWallPaperData" + Hex("01 80");
    WallPaperEntries entries;
    ASSERT_EQ(ListDecodeResult::Ok, Decode(bytes, &entries));
    ASSERT_EQ(2u, entries.size());
    EXPECT_TRUE(entries[0]->m_strPath.empty());
}

TEST(ListFileCodec, BytesAfterTheLastItemAreIgnored) {
    // A shorter list saved over a longer file in place leaves the old tail.
    std::string bytes = Hex(kWorkedExample);
    std::string shorter = Hex("01 00") + bytes.substr(2, 48) + bytes.substr(50);
    WallPaperEntries entries;
    ASSERT_EQ(ListDecodeResult::Ok, Decode(shorter, &entries));
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("a", entries[0]->m_strName);
}

TEST(ListFileCodec, EveryTruncationIsAFaultNotACrash) {
    std::string bytes = Hex(kWorkedExample);
    for (size_t n = 1; n < bytes.size(); ++n) {
        WallPaperEntries entries;
        EXPECT_EQ(ListDecodeResult::FormatFault, Decode(bytes.substr(0, n), &entries)) << n;
    }
}

TEST(ListFileCodec, HugeCountWithFewBytesIsAFault) {
    WallPaperEntries entries;
    EXPECT_EQ(ListDecodeResult::FormatFault, Decode(Hex("ff ff ff ff ff ff") + kClassHeader, &entries));
    EXPECT_TRUE(entries.empty());
}

TEST(ListFileCodec, ChunkedWritingGivesTheSameBytes) {
    WallPaperEntries list;
    list.push_back(Entry("big", std::string(200000, 'x'), 1, true));  // larger than the write buffer
    for (int i = 0; i < 5000; ++i) list.push_back(Entry(std::to_string(i), "C:\\p\\" + std::to_string(i), i % 3, i % 2));
    std::string chunked;
    size_t calls = 0;
    ASSERT_TRUE(EncodeListFile(list, [&](const char* p, size_t n) {
        ++calls;
        chunked.append(p, n);
        return true;
    }));
    EXPECT_EQ(EncodeListFile(list), chunked);
    EXPECT_LT(1u, calls);
    // A sink that refuses makes the whole write fail.
    EXPECT_FALSE(EncodeListFile(list, [](const char*, size_t) { return false; }));
}
