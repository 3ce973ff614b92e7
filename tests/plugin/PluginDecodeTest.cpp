// Picture decoding through the host: plain files, archive members, the
// native bitmap path, every failure with its code and message, and plug-ins
// that hand back garbage.  Real test plug-ins under Wine.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginTestSupport.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/CSPIControl.h"
#include "plugin/SusieErrors.h"
#include "TestPluginExtension.h"

namespace {
std::string LoadError(int code) {
    return "CSPIControl::LoadPicture occured error! (" + std::to_string(code) + ") " + GetErrorText(code);
}

using Host = ScannedHost;

int g_progressCalls = 0;
int __stdcall CountingProgress(int, int, LONG_PTR value) {
    g_progressCalls += value;
    return 0;
}
int __stdcall AbortingProgress(int, int, LONG_PTR) { return 1; }
}  // namespace

TEST(PluginDecode, PlainFileBecomesTheRightBitmap) {
    Host host({"pnm"});
    ScopedMessageRecorder messages;
    UniqueBitmap colour(host->LoadPicture(host.Picture("c.ppm", MakePpm(7, 5))));
    EXPECT_TRUE(HoldsTestPattern(colour.get(), 7, 5));
    UniqueBitmap grey(host->LoadPicture(host.Picture("g.pgm", MakePgm(9, 4))));
    EXPECT_TRUE(HoldsTestPattern(grey.get(), 9, 4, true));
    EXPECT_TRUE(messages.shown.empty());

    // The plug-in was shown the head buffer, and decoded by name with flag 0.
    ResetPluginLog(*host, 0);
    HLOCAL info = nullptr, bits = nullptr;
    PictureInfo pi;
    std::memset(&pi, 0x55, sizeof(pi));
    ASSERT_EQ(0, host->DecodeFile(host.pictures.File("c.ppm"), &info, &bits, &pi));
    UniqueLocal infoBlock(info), bitsBlock(bits);
    EXPECT_EQ("IsSupported:buffer;GetPicture:0:0;GetPictureInfo:0;", PluginCallLog(*host, 0));
    EXPECT_EQ(7, pi.width);
    EXPECT_EQ(5, pi.height);
    EXPECT_EQ(0, pi.left);
    EXPECT_EQ(host.pictures.File("c.ppm"), PluginLastName(*host, 0));
}

TEST(PluginDecode, BitmapsWithPluginsOff) {
    Host host({"pnm"});
    host.s.settings.enableSPI = false;
    ScopedMessageRecorder messages;
    UniqueBitmap bmp(host->LoadPicture(host.Picture("w.bmp", MakeBmp(6, 3))));
    EXPECT_TRUE(HoldsTestPattern(bmp.get(), 6, 3));
    // Plug-ins are not used then, and a failure shows nothing.
    EXPECT_EQ(nullptr, host->LoadPicture(host.Picture("c.ppm", MakePpm(4, 4))));
    EXPECT_EQ(nullptr, host->LoadPicture(host.pictures.File("missing.bmp")));
    // Cut short, or with a header that runs past the file: no picture, no crash.
    std::string whole = MakeBmp(6, 3);
    EXPECT_EQ(nullptr, host->LoadPicture(host.Picture("cut.bmp", whole.substr(0, whole.size() - 4))));
    std::string spoilt = whole;
    spoilt[14] = '\xF0';  // the bitmap header's size
    EXPECT_EQ(nullptr, host->LoadPicture(host.Picture("spoilt.bmp", spoilt)));
    EXPECT_EQ(nullptr, host->LoadPicture(host.Picture("empty.bmp", "")));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PluginDecode, FailuresOfAPlainFileAreReportedWithTheirCode) {
    Host host({"pnm"});
    ScopedMessageRecorder messages;
    // A bitmap no plug-in takes.
    EXPECT_EQ(nullptr, host->LoadPicture(host.Picture("w.bmp", MakeBmp(6, 3))));
    // A file that is not there; a bar in a path that names no archive.
    EXPECT_EQ(nullptr, host->LoadPicture(host.pictures.File("missing.ppm")));
    std::string withBar = host.Picture("c.ppm", MakePpm(2, 2)) + "|member.ppm";
    EXPECT_EQ(nullptr, host->LoadPicture(withBar));
    EXPECT_EQ(nullptr, host->LoadPicture(""));
    ASSERT_EQ(4u, messages.shown.size());
    EXPECT_EQ(LoadError(2), messages.shown[0].text);
    EXPECT_EQ("CSPIControl::LoadPicture occured error! (2) 未知のフォーマット", messages.shown[0].text);
    EXPECT_EQ(LoadError(6), messages.shown[1].text);
    EXPECT_EQ(LoadError(6), messages.shown[2].text);
    EXPECT_EQ(LoadError(8), messages.shown[3].text);
    for (const auto& m : messages.shown) EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), m.type);
}

TEST(PluginDecode, RequiredArgumentsAndUnreadableFiles) {
    Host host({"pnm"});
    std::string pic = host.Picture("c.ppm", MakePpm(2, 2));
    HLOCAL info = nullptr, bits = nullptr;
    EXPECT_EQ(8, host->DecodeFile("", &info, &bits));
    EXPECT_EQ(8, host->DecodeFile(pic, nullptr, &bits));
    EXPECT_EQ(8, host->DecodeFile(pic, &info, nullptr));
    EXPECT_EQ(8, host->DecodeMemory("c.ppm", nullptr, &info, &bits));
    EXPECT_EQ(6, host->DecodeFile(host.pictures.File("nothing.ppm"), &info, &bits));
    EXPECT_EQ(6, host->DecodeFile(host.pictures.path(), &info, &bits));  // a folder
    EXPECT_EQ(nullptr, info);
    EXPECT_EQ(nullptr, bits);
}

TEST(PluginDecode, OnlyAnAnswerOfOneIsAcceptance) {
    Host host({"two"});
    ScopedMessageRecorder messages;
    HLOCAL info = nullptr, bits = nullptr;
    EXPECT_EQ(2, host->DecodeFile(host.Picture("c.ppm", MakePpm(3, 3)), &info, &bits));
    EXPECT_EQ("IsSupported:buffer;", PluginCallLog(*host, 0));
}

TEST(PluginDecode, WhenTheFirstAcceptsAndFailsTheSecondWins) {
    Host host({"fails", "pnm"});
    ASSERT_EQ("fails" SPI_EXT, host->GetFileName(0));
    ScopedMessageRecorder messages;
    UniqueBitmap bmp(host->LoadPicture(host.Picture("c.ppm", MakePpm(5, 5))));
    EXPECT_TRUE(HoldsTestPattern(bmp.get(), 5, 5));
    EXPECT_TRUE(messages.shown.empty());
    // The failing one was tried twice: flag 0, then 0x80.
    EXPECT_EQ("IsSupported:buffer;GetPicture:0:0;GetPicture:80:0;", PluginCallLog(*host, 0));

}

TEST(PluginDecode, APluginThatTakesTheFileAndFailsGivesItsOwnCode) {
    // Alone: its "broken data" is what the user is told, not "unknown format".
    Host alone({"fails"});
    ScopedMessageRecorder messages;
    std::string pic = alone.Picture("c.ppm", MakePpm(5, 5));
    HLOCAL info = nullptr, bits = nullptr;
    EXPECT_EQ(3, alone->DecodeFile(pic, &info, &bits));
    EXPECT_EQ(nullptr, info);
    EXPECT_EQ(nullptr, alone->LoadPicture(pic));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("CSPIControl::LoadPicture occured error! (3) データが壊れている", messages.shown[0].text);

    // Several take it and all fail: the first one's code is shown.
    Host both({"fails", "notimpl"});
    EXPECT_EQ(3, both->DecodeFile(both.Picture("c.ppm", MakePpm(5, 5)), &info, &bits));
    EXPECT_EQ("IsSupported:buffer;GetPicture:0:0;GetPicture:80:0;", PluginCallLog(*both, 1))
        << "the second was asked too";
    Host reversed({"notimpl", "fails"});
    EXPECT_EQ(-1, reversed->DecodeFile(reversed.Picture("c.ppm", MakePpm(5, 5)), &info, &bits));
    messages.shown.clear();
    EXPECT_EQ(nullptr, reversed->LoadPicture(reversed.pictures.File("c.ppm")));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(LoadError(-1), messages.shown[0].text);

    // One that does not take the file leaves the code to the one that does;
    // with none taking it the code stays "unknown format".
    Host skipped({"two", "fails"});
    EXPECT_EQ(3, skipped->DecodeFile(skipped.Picture("c.ppm", MakePpm(5, 5)), &info, &bits));
    EXPECT_EQ(2, skipped->DecodeFile(skipped.Picture("w.bmp", MakeBmp(4, 4)), &info, &bits));

    // From memory (an archive member) the same rule holds.
    std::string bytes = MakePpm(3, 2);
    UniqueLocal block(LocalAlloc(LMEM_MOVEABLE, bytes.size()));
    {
        LocalLockGuard lock(block.get());
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    EXPECT_EQ(3, alone->DecodeMemory("m.ppm", block.get(), &info, &bits));
    EXPECT_EQ(-1, reversed->DecodeMemory("m.ppm", block.get(), &info, &bits));
}

// A viewer, an editor or a sync client may hold the picture open, even for
// writing, while the wallpaper changes.
TEST(PluginDecode, PicturesAndArchivesHeldOpenByAnotherProgramStillLoad) {
    auto holdOpen = [](const std::string& path) {
        return UniqueFile(CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    };
    Host host({"pnm", "tar"});
    ScopedMessageRecorder messages;
    std::string pic = host.Picture("c.ppm", MakePpm(6, 4));
    std::string tar = host.Picture("set.tar", MakeTar({{"in/a.ppm", MakePpm(5, 3), 0}}));
    UniqueFile picHolder = holdOpen(pic), tarHolder = holdOpen(tar);
    ASSERT_TRUE(picHolder);
    ASSERT_TRUE(tarHolder);

    UniqueBitmap plain(host->LoadPicture(pic));
    EXPECT_TRUE(HoldsTestPattern(plain.get(), 6, 4));
    UniqueBitmap member(host->LoadPicture(tar + "|in/a.ppm"));
    EXPECT_TRUE(HoldsTestPattern(member.get(), 5, 3));
    ArcFileList list;
    EXPECT_EQ(0, host->GetArcFileList(tar, &list));
    EXPECT_EQ(1u, list.size());
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;

    // With plug-ins off, a Windows bitmap held open the same way.
    host.s.settings.enableSPI = false;
    std::string bmp = host.Picture("w.bmp", MakeBmp(7, 2));
    UniqueFile bmpHolder = holdOpen(bmp);
    ASSERT_TRUE(bmpHolder);
    UniqueBitmap native(host->LoadPicture(bmp));
    EXPECT_TRUE(HoldsTestPattern(native.get(), 7, 2));
}

TEST(PluginDecode, FileFormIsRetriedWithFlag80) {
    Host host({"retry"});
    UniqueBitmap bmp(host->LoadPicture(host.Picture("c.ppm", MakePpm(4, 3))));
    EXPECT_TRUE(HoldsTestPattern(bmp.get(), 4, 3));
    EXPECT_EQ("IsSupported:buffer;GetPicture:0:0;GetPicture:80:0;", PluginCallLog(*host, 0));
}

TEST(PluginDecode, DisabledPluginsAreNotAsked) {
    Host host({"pnm"});
    host->SetEnabled(0, false);
    HLOCAL info = nullptr, bits = nullptr;
    EXPECT_EQ(2, host->DecodeFile(host.Picture("c.ppm", MakePpm(3, 3)), &info, &bits));
    EXPECT_EQ("", PluginCallLog(*host, 0));
}

TEST(PluginDecode, ProgressCallbackIsHandedOnAndCanAbort) {
    Host host({"pnm"});
    std::string pic = host.Picture("c.ppm", MakePpm(3, 3));
    EXPECT_EQ(nullptr, host->SetProgressCallback(&CountingProgress));
    host->SetProgressUserValue(1);
    g_progressCalls = 0;
    HLOCAL info = nullptr, bits = nullptr;
    ASSERT_EQ(0, host->DecodeFile(pic, &info, &bits));
    LocalFree(info);
    LocalFree(bits);
    EXPECT_EQ(2, g_progressCalls);  // start and end, each with the user value

    EXPECT_EQ(&CountingProgress, host->SetProgressCallback(&AbortingProgress));
    ResetPluginLog(*host, 0);
    EXPECT_EQ(1, host->DecodeFile(pic, &info, &bits)) << "the plug-in's own answer to the abort";
    // An abort (1) is not retried with 0x80.
    EXPECT_EQ("IsSupported:buffer;GetPicture:0:0;", PluginCallLog(*host, 0));
    EXPECT_EQ(&AbortingProgress, host->SetProgressCallback(nullptr));
    EXPECT_EQ(nullptr, host->SetProgressCallback(nullptr));
}

TEST(PluginDecode, FromMemoryWithFlagOneAndAShortPicture) {
    Host host({"pnm"});
    std::string bytes = MakePpm(3, 2);  // far shorter than the 2 KB head
    UniqueLocal block(LocalAlloc(LMEM_MOVEABLE, bytes.size()));
    {
        LocalLockGuard lock(block.get());
        std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    HLOCAL info = nullptr, bits = nullptr;
    PictureInfo pi = {};
    ASSERT_EQ(0, host->DecodeMemory("member.ppm", block.get(), &info, &bits, &pi));
    UniqueLocal infoBlock(info), bitsBlock(bits);
    EXPECT_EQ("IsSupported:buffer;GetPicture:1:" + std::to_string(bytes.size()) + ";GetPictureInfo:1;",
              PluginCallLog(*host, 0));
    EXPECT_EQ("member.ppm", PluginLastName(*host, 0));
    EXPECT_EQ(3, pi.width);
    UniqueBitmap bmp(MakeBitmapFromBlocks(info, bits));
    EXPECT_TRUE(HoldsTestPattern(bmp.get(), 3, 2));
    // The caller's block is still theirs, and unlocked.
    EXPECT_EQ(bytes.size(), LocalSize(block.get()));
    EXPECT_EQ(0u, LocalFlags(block.get()) & LMEM_LOCKCOUNT);
}

TEST(PluginDecode, GarbageBlocksAreRefusedAsBrokenData) {
    for (const char* garbage : {"badhdr", "baddepth", "badheight", "shortrows", "noblocks", "depth7"}) {
        SCOPED_TRACE(garbage);
        Host host({garbage});
        std::string pic = host.Picture("c.ppm", MakePpm(16, 8));
        HLOCAL info = reinterpret_cast<HLOCAL>(1), bits = reinterpret_cast<HLOCAL>(1);
        EXPECT_EQ(3, host->DecodeFile(pic, &info, &bits));
        EXPECT_EQ(nullptr, info);
        EXPECT_EQ(nullptr, bits);
        ScopedMessageRecorder messages;
        EXPECT_EQ(nullptr, host->LoadPicture(pic));
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_EQ("CSPIControl::LoadPicture occured error! (3) データが壊れている", messages.shown[0].text);

        // A sound plug-in after it still decodes the picture.
        Host rescued({garbage, "pnm"});
        UniqueBitmap bmp(rescued->LoadPicture(rescued.Picture("c.ppm", MakePpm(16, 8))));
        EXPECT_TRUE(HoldsTestPattern(bmp.get(), 16, 8));
    }
}

TEST(PluginDecode, BlocksThatDoNotFitMakeNoBitmap) {
    EXPECT_EQ(nullptr, MakeBitmapFromBlocks(nullptr, nullptr));
    UniqueLocal info(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER)));
    UniqueLocal bits(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 16));
    {
        LocalLockGuard lock(info.get());
        auto* h = static_cast<BITMAPINFOHEADER*>(lock.data());
        h->biSize = sizeof(*h);
        h->biWidth = 2;
        h->biHeight = 2;
        h->biPlanes = 1;
        h->biBitCount = 24;
    }
    UniqueBitmap fits(MakeBitmapFromBlocks(info.get(), bits.get()));
    EXPECT_TRUE(fits);
    {
        LocalLockGuard lock(info.get());
        static_cast<BITMAPINFOHEADER*>(lock.data())->biHeight = 3;  // 24 bytes of rows in a 16-byte block
    }
    EXPECT_EQ(nullptr, MakeBitmapFromBlocks(info.get(), bits.get()));
}

TEST(PluginDecode, JapaneseFileNameReachesThePluginInItsCodePage) {
    Host host({"pnm"});
    // "壁紙.ppm": written in code page 932, but not in 1252.
    std::string pic = host.Picture("\x95\xc7\x8e\x86.ppm", MakePpm(6, 4));
    ASSERT_TRUE(PathExists(pic));
    ScopedMessageRecorder messages;
    UniqueBitmap bmp(host->LoadPicture(pic));
    EXPECT_TRUE(HoldsTestPattern(bmp.get(), 6, 4));
    EXPECT_TRUE(messages.shown.empty());
    std::string given = PluginLastName(*host, 0);
    if (GetACP() == 932) {
        EXPECT_EQ(pic, given);
    } else {
        // The short form, which the ANSI code page can write.
        for (unsigned char c : given) EXPECT_LT(c, 0x80) << given;
        EXPECT_NE(std::string::npos, given.find('~')) << given;
    }
}

TEST(PluginDecode, ArchiveMemberIsExtractedAndDecodedFromMemory) {
    Host host({"tar", "pnm"});
    std::string tar = host.Picture("set.tar", MakeTar({{"readme.txt", "hello", 0},
                                                       {"pics/", "", 0},
                                                       {"pics/a.ppm", MakePpm(8, 6), 0},
                                                       {"b.pgm", MakePgm(5, 5), 0}}));
    ScopedMessageRecorder messages;
    UniqueBitmap a(host->LoadPicture(tar + "|pics/a.ppm"));
    EXPECT_TRUE(HoldsTestPattern(a.get(), 8, 6));
    UniqueBitmap b(host->LoadPicture(tar + "|b.pgm"));
    EXPECT_TRUE(HoldsTestPattern(b.get(), 5, 5, true));
    EXPECT_TRUE(messages.shown.empty());

    // GetFileInfo with flag 0, then GetFile to memory at the member's position.
    ResetPluginLog(*host, 0);
    HLOCAL member = nullptr;
    ASSERT_EQ(0, host->ExtractFile(tar, "b.pgm", &member));
    UniqueLocal memberBlock(member);
    EXPECT_EQ(MakePgm(5, 5).size(), LocalSize(member));
    // readme.txt header and data, pics/ header, a.ppm header and data.
    size_t position = 512 * 4 + (MakePpm(8, 6).size() + 511) / 512 * 512;
    EXPECT_EQ("IsSupported:buffer;GetFileInfo:0;GetFile:100:" + std::to_string(position) + ";",
              PluginCallLog(*host, 0));
    // The image plug-in decoded it from memory.
    EXPECT_NE(std::string::npos, PluginCallLog(*host, 1).find("GetPicture:1:"));
}

TEST(PluginDecode, ArchiveFailures) {
    Host host({"tar", "pnm"});
    std::string tar = host.Picture("set.tar", MakeTar({{"a.ppm", MakePpm(2, 2), 0}, {"notes.txt", "text", 0}}));
    ScopedMessageRecorder messages;
    // No member named: no picture, no message.
    EXPECT_EQ(nullptr, host->LoadPicture(tar));
    EXPECT_EQ(nullptr, host->LoadPicture(tar + "|"));
    // A member no image plug-in decodes: no message either.
    EXPECT_EQ(nullptr, host->LoadPicture(tar + "|notes.txt"));
    EXPECT_TRUE(messages.shown.empty());
    // A member that is not there: the archive plug-in's code.
    EXPECT_EQ(nullptr, host->LoadPicture(tar + "|missing.ppm"));
    // An archive that cannot be read.
    EXPECT_EQ(nullptr, host->LoadPicture(host.pictures.File("gone.tar") + "|a.ppm"));
    // A file no archive plug-in takes.
    EXPECT_EQ(nullptr, host->LoadPicture(host.Picture("fake.tar", "not a tar archive") + "|a.ppm"));
    ASSERT_EQ(3u, messages.shown.size());
    EXPECT_EQ(LoadError(8), messages.shown[0].text);
    EXPECT_EQ(LoadError(6), messages.shown[1].text);
    EXPECT_EQ(LoadError(2), messages.shown[2].text);

    // With the archive plug-in disabled the path is a plain file name, which does not open.
    messages.shown.clear();
    host->SetEnabled(0, false);
    EXPECT_EQ(nullptr, host->LoadPicture(tar + "|a.ppm"));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("CSPIControl::LoadPicture occured error! (6) ファイルリードエラー", messages.shown[0].text);

    HLOCAL member = nullptr;
    EXPECT_EQ(8, host->ExtractFile("", "a.ppm", &member));
    EXPECT_EQ(8, host->ExtractFile(tar, "a.ppm", nullptr));
    EXPECT_EQ(2, host->ExtractFile(tar, "a.ppm", &member));  // no enabled archive plug-in
    EXPECT_EQ(nullptr, member);
}

TEST(PluginDecode, ErrorTexts) {
    EXPECT_STREQ("その機能はインプリメントされていない", GetErrorText(-1));
    EXPECT_STREQ("正常終了", GetErrorText(0));
    EXPECT_STREQ("コールバック関数が非0を返したので展開を中止した", GetErrorText(1));
    EXPECT_STREQ("未知のフォーマット", GetErrorText(2));
    EXPECT_STREQ("データが壊れている", GetErrorText(3));
    EXPECT_STREQ("メモリーが確保出来ない", GetErrorText(4));
    EXPECT_STREQ("メモリーエラー（Lock出来ない、等）", GetErrorText(5));
    EXPECT_STREQ("ファイルリードエラー", GetErrorText(6));
    EXPECT_STREQ("（予約）", GetErrorText(7));
    EXPECT_STREQ("内部エラー", GetErrorText(8));
    EXPECT_EQ(nullptr, GetErrorText(9));
    EXPECT_EQ(nullptr, GetErrorText(-2));
}
