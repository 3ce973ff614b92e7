// Blocks a plug-in hands back together with a failure are freed, once; and
// the text handed to plug-ins is written in the ANSI code page, UTF-8 included.
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "framework/Handles.h"
#include "plugin/PluginText.h"
#include "plugin/SusieErrors.h"

namespace {
// Blocks in use on the process heap, where local memory blocks live.
size_t BusyHeapBlocks() {
    HANDLE heap = GetProcessHeap();
    size_t busy = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
    }
    HeapUnlock(heap);
    return busy;
}
}  // namespace

TEST(PluginBlocks, BlocksHandedBackWithAFailedDecodeAreFreed) {
    ScannedHost host({"blocks"});
    std::string picture = host.Picture("p.ppm", MakePpm(4, 4));
    HLOCAL info = nullptr, bits = nullptr;
    ASSERT_EQ(SusieResult::kBrokenData, host->DecodeFile(picture, &info, &bits));
    EXPECT_EQ("IsSupported:buffer;GetPicture:0:0;GetPicture:80:0;", PluginCallLog(*host, 0));
    EXPECT_EQ(nullptr, info);
    const size_t before = BusyHeapBlocks();
    for (int i = 0; i < 200; ++i) host->DecodeFile(picture, &info, &bits);
    // Each try hands back four blocks (two per attempt).
    EXPECT_LT(BusyHeapBlocks(), before + 20);
}

TEST(PluginBlocks, BlocksHandedBackWithAFailedDecodeFromMemoryAreFreed) {
    ScannedHost host({"blocks"});
    std::string bytes = MakePpm(4, 4);
    UniqueLocal data(LocalAlloc(LMEM_MOVEABLE, bytes.size()));
    {
        LocalLockGuard lock(data.get());
        memcpy(lock.data(), bytes.data(), bytes.size());
    }
    HLOCAL info = nullptr, bits = nullptr;
    ASSERT_EQ(SusieResult::kBrokenData, host->DecodeMemory("p.ppm", data.get(), &info, &bits));
    const size_t before = BusyHeapBlocks();
    for (int i = 0; i < 200; ++i) host->DecodeMemory("p.ppm", data.get(), &info, &bits);
    EXPECT_LT(BusyHeapBlocks(), before + 20);
}

TEST(PluginBlocks, ABlockHandedBackWithAFailedExtractionIsFreed) {
    ScannedHost host({"tarblock"});
    std::string tar = host.Picture("set.tar", MakeTar({{"a.ppm", std::string(3000, 'a'), 0}}));
    HLOCAL member = nullptr;
    ASSERT_EQ(SusieResult::kBrokenData, host->ExtractFile(tar, "a.ppm", &member));
    EXPECT_EQ(nullptr, member);
    const size_t before = BusyHeapBlocks();
    for (int i = 0; i < 200; ++i) host->ExtractFile(tar, "a.ppm", &member);
    EXPECT_LT(BusyHeapBlocks(), before + 20);
}

TEST(PluginText, AUtf8AnsiCodePageWritesEveryPath) {
    std::string out;
    // 写真 β.ppm
    ASSERT_TRUE(ToCodePage(65001, L"C:\\\u5199\u771f\\\u03b2.ppm", &out));
    EXPECT_EQ("C:\\\xe5\x86\x99\xe7\x9c\x9f\\\xce\xb2.ppm", out);
    ASSERT_TRUE(ToCodePage(65001, L"\U0001F600", &out));
    EXPECT_EQ("\xf0\x9f\x98\x80", out);
    EXPECT_FALSE(ToCodePage(65001, std::wstring(1, wchar_t(0xD800)) + L"x", &out)) << "a lone surrogate";
    ASSERT_TRUE(ToCodePage(65001, L"", &out));
    EXPECT_EQ("", out);
}

TEST(PluginText, OtherCodePagesRefuseWhatTheyCannotWrite) {
    std::string out;
    ASSERT_TRUE(ToCodePage(932, L"\u5199\u771f.ppm", &out));
    EXPECT_EQ("\x8e\xca\x90\x5e.ppm", out);
    ASSERT_TRUE(ToCodePage(1252, L"caf\u00e9", &out));
    EXPECT_EQ("caf\xe9", out);
    EXPECT_FALSE(ToCodePage(1252, L"\u5199", &out));
    EXPECT_FALSE(ToCodePage(1252, L"\u0100", &out)) << "no best-fit A for A-macron";
}
