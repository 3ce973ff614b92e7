// Plug-ins that fault inside each of their exports, through the real host
// under Wine: the call returns with its failure result, the user is told
// once, the plug-in is off for the rest of the run (but not in the stored
// disabled list), and the plug-ins after it go on working.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "PluginTestSupport.h"
#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "plugin/CSPIControl.h"
#include "plugin/SusieErrors.h"
#include "TestPluginExtension.h"

namespace {
// The message up to the address, which differs from run to run.
std::string FaultText(const std::string& file, const std::string& entry, const std::string& code,
                      const std::string& name) {
    return "プラグイン[" + file + "]が異常終了したため、使用を停止しました。\n" + entry + " の実行中に例外 " + code +
           " (" + name + ") が発生しました。\nアドレス: 0x";
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

::testing::AssertionResult ShownOnce(const RecordingMessageSink& messages, const std::string& start) {
    if (messages.shown.size() != 1)
        return ::testing::AssertionFailure() << messages.shown.size() << " boxes shown, wanted one: " << start;
    if (!StartsWith(messages.shown[0].text, start))
        return ::testing::AssertionFailure() << "shown: " << messages.shown[0].text << "\nwanted: " << start;
    return ::testing::AssertionSuccess();
}

std::string DisabledList(ScannedHost& host) {
    return host.s.profile.GetString(AppSettings::kSection, "DisableSPIs", "(none)");
}
}  // namespace

TEST(PluginFault, AFaultWhileLoadingSkipsThePluginAndTellsTheUserOnce) {
    ScopedMessageRecorder messages;
    ScannedHost host({"fault_load", "pnm"});
    ASSERT_EQ(1, host->GetPluginCount()) << "only the good plug-in is listed";
    EXPECT_EQ("pnm" SPI_EXT, host->GetFileName(0));
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_load" SPI_EXT, "GetPluginInfo", "0xC0000005", "アクセス違反")));
    EXPECT_TRUE(StartsWith(messages.shown[0].text,
                           "プラグイン[fault_load" SPI_EXT "]が異常終了したため、使用を停止しました。\n"
                           "GetPluginInfo の実行中に例外 0xC0000005 (アクセス違反) が発生しました"));
    EXPECT_EQ(UINT(MB_OK | MB_ICONEXCLAMATION), messages.shown[0].type);

    // Scanning the folder again does not try it again.
    ClearAttachNotes();
    host.s.settings.spiPath = host.dirs[0]->path();
    EXPECT_FALSE(host->ReloadFromSettings());
    EXPECT_TRUE(AttachNotes().empty());
    EXPECT_EQ(1u, messages.shown.size());

    UniqueBitmap bitmap(host->LoadPicture(host.Picture("p.ppm", MakePpm(5, 3))));
    EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 5, 3));
}

TEST(PluginFault, IsSupportedFaultsAndTheNextPluginDecodes) {
    ScannedHost host({"fault_issupported", "pnm"});
    ScopedMessageRecorder messages;
    std::string picture = host.Picture("p.ppm", MakePpm(7, 5));
    UniqueBitmap bitmap(host->LoadPicture(picture));
    EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 7, 5)) << "the good plug-in after it decodes";
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_issupported" SPI_EXT, "IsSupported", "0xC0000005", "アクセス違反")));
    EXPECT_TRUE(host->HasFaulted(0));
    EXPECT_FALSE(host->HasFaulted(1));
    EXPECT_TRUE(host->IsEnabled(0)) << "the user's choice is left alone";

    // It is never asked again, and the user is not told again.
    ResetPluginLog(*host, 0);
    UniqueBitmap again(host->LoadPicture(picture));
    EXPECT_TRUE(HoldsTestPattern(again.get(), 7, 5));
    EXPECT_EQ("", PluginCallLog(*host, 0));
    EXPECT_EQ(1u, messages.shown.size());
    // Its patterns leave the filters; its index stays.
    EXPECT_EQ("*.ppm *.pgm *.pnm ", host->GetImagePatterns());
    EXPECT_EQ("fault_issupported" SPI_EXT, host->GetFileName(0));
    char text[64];
    EXPECT_EQ(0, host->GetPluginInfo(0, 1, text, sizeof(text)));

    // The stored disabled list does not learn of it: the next start tries it again.
    EXPECT_TRUE(host->SaveDisabledList());
    EXPECT_EQ("", DisabledList(host));
}

TEST(PluginFault, GetPictureFaultsTheUserSeesOneBoxAndThePictureComesFromTheNextPlugin) {
    ScannedHost host({"fault_picture", "pnm"});
    ScopedMessageRecorder messages;
    UniqueBitmap bitmap(host->LoadPicture(host.Picture("p.ppm", MakePpm(9, 4))));
    EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 9, 4));
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_picture" SPI_EXT, "GetPicture", "0xC0000005", "アクセス違反")));
    EXPECT_EQ("IsSupported;GetPicture:0;", PluginCallLog(*host, 0)) << "no second attempt after a fault";
}

TEST(PluginFault, GetPictureFaultsAloneThePictureFailsWithOneBox) {
    ScannedHost host({"fault_picture"});
    ScopedMessageRecorder messages;
    std::string picture = host.Picture("p.ppm", MakePpm(3, 3));
    EXPECT_EQ(nullptr, host->LoadPicture(picture));
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_picture" SPI_EXT, "GetPicture", "0xC0000005", "アクセス違反")))
        << "the fault box stands for the failed load";
    // Once it is off, the same picture fails as with no plug-in taking it.
    EXPECT_EQ(nullptr, host->LoadPicture(picture));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("CSPIControl::LoadPicture occured error! (2) 未知のフォーマット", messages.shown[1].text);
}

TEST(PluginFault, GetPictureInfoDividesByZeroAfterAGoodDecode) {
    ScannedHost host({"fault_pictureinfo"});
    ScopedMessageRecorder messages;
    std::string picture = host.Picture("p.ppm", MakePpm(3, 3));
    HLOCAL info = nullptr, bits = nullptr;
    PictureInfo pi;
    std::memset(&pi, 0x55, sizeof(pi));
    ASSERT_EQ(SusieResult::kSuccess, host->DecodeFile(picture, &info, &bits, &pi));
    UniqueLocal infoBlock(info), bitsBlock(bits);
    EXPECT_EQ(0, pi.width) << "the record stays zeroed";
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_pictureinfo" SPI_EXT, "GetPictureInfo", "0xC0000094",
                                              "整数のゼロ除算")));
    EXPECT_TRUE(host->HasFaulted(0));
    EXPECT_EQ(SusieResult::kUnknownFormat, host->DecodeFile(picture, &info, &bits));
}

TEST(PluginFault, AStackOverflowInGetPictureIsRecoveredEveryTime) {
    for (int round = 0; round < 3; ++round) {
        ScannedHost host({"fault_overflow", "pnm"});
        ScopedMessageRecorder messages;
        UniqueBitmap bitmap(host->LoadPicture(host.Picture("p.ppm", MakePpm(4, 4))));
        EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 4, 4)) << round;
        EXPECT_TRUE(ShownOnce(messages, FaultText("fault_overflow" SPI_EXT, "GetPicture", "0xC00000FD",
                                                  "スタックオーバーフロー")))
            << round;
    }
}

namespace {
int g_progressCalls = 0;
int __stdcall CountingProgress(int, int, LONG_PTR) {
    ++g_progressCalls;
    return 0;
}
}  // namespace

TEST(PluginFault, AFaultAfterCallingTheProgressCallbackIsThePlugins) {
    ScannedHost host({"fault_progress", "pnm"});
    ScopedMessageRecorder messages;
    host->SetProgressCallback(&CountingProgress);
    g_progressCalls = 0;
    UniqueBitmap bitmap(host->LoadPicture(host.Picture("p.ppm", MakePpm(4, 2))));
    EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 4, 2));
    EXPECT_EQ(3, g_progressCalls) << "once from the faulting plug-in, twice from the good one";
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_progress" SPI_EXT, "GetPicture", "0xC0000005", "アクセス違反")));
}

TEST(PluginFault, GetPluginInfoFaultsAfterLoading) {
    ScannedHost host({"fault_info", "pnm"});
    ScopedMessageRecorder messages;
    ASSERT_EQ(2, host->GetPluginCount());
    char text[256];
    EXPECT_EQ(0, host->GetPluginInfo(0, 1, text, sizeof(text)));
    EXPECT_STREQ("", text);
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_info" SPI_EXT, "GetPluginInfo", "0xC0000005", "アクセス違反")));
    // Off for the filters: only the good plug-in's entry is listed.
    EXPECT_EQ("All Images|*.ppm;*.pgm;*.pnm|Netpbm image (*.ppm;*.pgm)|*.ppm;*.pgm|Portable anymap (*.pnm)|*.pnm|All Files(*.*)|*.*|",
              host->GetOpenFilter(false));
    EXPECT_EQ(1u, messages.shown.size());
}

TEST(PluginFault, GetArchiveInfoFaultsAndTheNextArchivePluginLists) {
    ScannedHost host({"fault_archiveinfo", "tar"});
    ScopedMessageRecorder messages;
    std::string tar = host.Picture("set.tar", MakeTar({{"a.ppm", MakePpm(2, 2), 0}, {"b.ppm", "x", 0}}));
    ArcFileList list;
    EXPECT_EQ(SusieResult::kSuccess, host->GetArcFileList(tar, &list));
    ASSERT_EQ(2u, list.size());
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_archiveinfo" SPI_EXT, "GetArchiveInfo", "0xC0000005",
                                              "アクセス違反")));
}

TEST(PluginFault, GetArchiveInfoFaultsAloneOneBoxAndNoListing) {
    ScannedHost host({"fault_archiveinfo"});
    ScopedMessageRecorder messages;
    std::string tar = host.Picture("set.tar", MakeTar({{"a.ppm", MakePpm(2, 2), 0}}));
    ArcFileList list;
    EXPECT_EQ(SusieResult::kInternalError, host->GetArcFileList(tar, &list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_archiveinfo" SPI_EXT, "GetArchiveInfo", "0xC0000005",
                                              "アクセス違反")));
}

TEST(PluginFault, ExtractionFaultsInGetFileInfoOrGetFile) {
    struct Case { const char* fixture; const char* entry; const char* code; const char* name; } cases[] = {
        {"fault_fileinfo", "GetFileInfo", "0xC000001D", "不正な命令"},
        {"fault_getfile", "GetFile", "0xC0000005", "アクセス違反"},
    };
    for (const Case& c : cases) {
        ScannedHost host({c.fixture, "tar", "pnm"});
        ScopedMessageRecorder messages;
        std::string tar = host.Picture("set.tar", MakeTar({{"in/a.ppm", MakePpm(6, 2), 0}}));
        HLOCAL member = nullptr;
        // The first archive plug-in that takes the archive decides.
        EXPECT_EQ(SusieResult::kInternalError, host->ExtractFile(tar, "in/a.ppm", &member)) << c.fixture;
        EXPECT_EQ(nullptr, member);
        EXPECT_TRUE(ShownOnce(messages, FaultText(std::string(c.fixture) + SPI_EXT, c.entry, c.code, c.name)));
        // Off now: the tar plug-in takes the archive and the picture comes.
        UniqueBitmap bitmap(host->LoadPicture(tar + "|in/a.ppm"));
        EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 6, 2)) << c.fixture;
        EXPECT_EQ(1u, messages.shown.size());
    }
}

TEST(PluginFault, ExtractionFaultDuringLoadPictureShowsOnlyTheFaultBox) {
    ScannedHost host({"fault_getfile", "pnm"});
    ScopedMessageRecorder messages;
    std::string tar = host.Picture("set.tar", MakeTar({{"a.ppm", MakePpm(2, 2), 0}}));
    EXPECT_EQ(nullptr, host->LoadPicture(tar + "|a.ppm"));
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_getfile" SPI_EXT, "GetFile", "0xC0000005", "アクセス違反")));
}

TEST(PluginFault, ConfigurationDlgFaultsAndItsOwnerWindowIsUsableAgain) {
    ScannedHost host({"fault_config", "pnm"});
    ScopedMessageRecorder messages;
    struct Owner {
        HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        ~Owner() { if (hwnd) DestroyWindow(hwnd); }
        HWND get() const { return hwnd; }
    } owner;
    ASSERT_TRUE(owner.get());
    EXPECT_EQ(SusieResult::kInternalError, host->ConfigurationDlg(0, owner.get(), 1));
    EXPECT_TRUE(IsWindowEnabled(owner.get()));
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_config" SPI_EXT, "ConfigurationDlg", "0xC0000005", "アクセス違反")));
    ResetPluginLog(*host, 0);
    EXPECT_EQ(SusieResult::kInternalError, host->ConfigurationDlg(0, owner.get(), 1));
    EXPECT_EQ("", PluginCallLog(*host, 0));
    // The good plug-in's dialog still opens.
    EXPECT_EQ(0, host->ConfigurationDlg(1, owner.get(), 1));
    EXPECT_EQ(1u, messages.shown.size());
}

TEST(PluginFault, ADialogWhoseProcedureFaultsIsClosedAndItsOwnerUsableAgain) {
    ScannedHost host({"fault_dialog"});
    ScopedMessageRecorder messages;
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    EXPECT_EQ(SusieResult::kInternalError, host->ConfigurationDlg(0, owner, 1));
    EXPECT_TRUE(ShownOnce(messages, FaultText("fault_dialog" SPI_EXT, "ConfigurationDlg", "0xC0000005", "アクセス違反")));
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"fault dialog")) << "the plug-in's dialog is gone";
    EXPECT_TRUE(IsWindowEnabled(owner));
    // Nothing of the plug-in's runs when the messages left for it are handled.
    PostMessageW(owner, WM_NULL, 0, 0);
    PumpMessages();
    RedrawWindow(owner, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DestroyWindow(owner);
}

TEST(PluginFault, EveryPluginThatFaultsInOneOperationGetsItsOwnBox) {
    ScannedHost host({"fault_issupported", "fault_picture", "pnm"});
    ScopedMessageRecorder messages;
    UniqueBitmap bitmap(host->LoadPicture(host.Picture("p.ppm", MakePpm(3, 2))));
    EXPECT_TRUE(HoldsTestPattern(bitmap.get(), 3, 2));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_NE(std::string::npos, messages.shown[0].text.find("[fault_issupported" SPI_EXT "]"));
    EXPECT_NE(std::string::npos, messages.shown[1].text.find("[fault_picture" SPI_EXT "]"));
}

// A plug-in that faulted is never freed: its detach code would run in the
// state the fault left.  The plug-ins that did not fault are freed as usual.
TEST(PluginFault, AFaultedPluginStaysMappedWhenTheHostGoes) {
    ScopedMessageRecorder messages;
    auto host = std::make_unique<ScannedHost>(std::initializer_list<const char*>{"fault_load", "fault_picture", "pnm"});
    const std::wstring loadFault = ToWide(host->dirs[0]->path() + "fault_load" SPI_EXT);
    const std::wstring pictureFault = ToWide(host->dirs[1]->path() + "fault_picture" SPI_EXT);
    const std::wstring good = ToWide(host->dirs[2]->path() + "pnm" SPI_EXT);
    UniqueBitmap bitmap((*host)->LoadPicture(host->Picture("p.ppm", MakePpm(4, 4))));
    ASSERT_TRUE((*host)->HasFaulted(0));
    ASSERT_NE(nullptr, GetModuleHandleW(good.c_str()));

    host->control.reset();
    EXPECT_NE(nullptr, GetModuleHandleW(loadFault.c_str())) << "faulted while loading";
    EXPECT_NE(nullptr, GetModuleHandleW(pictureFault.c_str())) << "faulted in GetPicture";
    EXPECT_EQ(nullptr, GetModuleHandleW(good.c_str()));
}
