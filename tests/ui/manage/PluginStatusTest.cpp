// The version reader over real test plug-ins (own translation, fallback
// languages, no resource at all) and the status report and dialog of a
// plug-in with two support entries.
#include <gtest/gtest.h>

#include <cstdio>

#include "ManageDialogDriver.h"
#include "PluginDialogTestSupport.h"
#include "plugin/CFileVersionInfo.h"
#include "plugin/CSPIStatusDlg.h"
#include "plugin/PluginDialogs.h"
#include "res/resource.h"
#include "plugin/TestPluginExtension.h"

using namespace manage_test;

TEST(FileVersionInfo, FindsValuesThroughTheFallbackLanguagesInTheirOrder) {
    TempDir dir;
    std::string path = InstallPlugin(dir.path(), "mg_verfall");
    ASSERT_FALSE(path.empty());
    CFileVersionInfo info;
    ASSERT_TRUE(info.Load(path));
    // The translation names 0C07/1252, which holds no strings; code page 932
    // comes before 1252 in the fallback order.
    EXPECT_EQ("Fallback 932", info.Query("CompanyName"));
    EXPECT_EQ("テスト用プラグイン", info.Query("FileDescription"));
    EXPECT_EQ("Only in 0409/1252", info.Query("Comments"));
    EXPECT_EQ("", info.Query("PrivateBuild"));
}

TEST(FileVersionInfo, OwnTranslationFirstAndNothingWithoutAResource) {
    TempDir dir;
    CFileVersionInfo own;
    ASSERT_TRUE(own.Load(InstallPlugin(dir.path(), "mg_arc")));
    EXPECT_EQ("Own translation", own.Query("CompanyName"));

    CFileVersionInfo none;
    EXPECT_FALSE(none.Load(InstallPlugin(dir.path(), "mg_plain")));
    EXPECT_FALSE(none.IsLoaded());
    EXPECT_EQ("", none.Query("CompanyName"));
    EXPECT_FALSE(none.Load(dir.File("missing" SPI_EXT)));
    EXPECT_EQ("", none.Query("CompanyName"));

    EXPECT_EQ("\\StringFileInfo\\041103a4\\CompanyName", CFileVersionInfo::ValuePath(0x0411, 932, "CompanyName"));
    EXPECT_EQ("\\StringFileInfo\\0c0704e4\\X", CFileVersionInfo::ValuePath(0x0C07, 1252, "X"));
}

TEST(FileVersionInfo, FallbackTablesHoldTheDocumentedIdentifiersInOrder) {
    EXPECT_EQ(0, CFileVersionInfo::kFallbackCodePages[0]);
    EXPECT_EQ(932, CFileVersionInfo::kFallbackCodePages[1]);
    EXPECT_EQ(1256, CFileVersionInfo::kFallbackCodePages[11]);
    // 0401 to 0421 without a gap, then the twelve others.
    for (int i = 0; i < 33; ++i) EXPECT_EQ(0x0401 + i, CFileVersionInfo::kFallbackLanguages[i]) << i;
    EXPECT_EQ(0x0804, CFileVersionInfo::kFallbackLanguages[33]);
    EXPECT_EQ(0x100C, CFileVersionInfo::kFallbackLanguages[44]);
}

namespace {
std::string Hex(HMODULE module, const char* name) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetProcAddress(module, name))));
    return text;
}
}  // namespace

namespace {
// What "Show file prop." asked the shell for.
struct ShellRequest {
    int calls = 0;
    std::wstring verb, file;
    ULONG mask = 0;
    HWND parent = reinterpret_cast<HWND>(1);
    int show = -1;
} g_request;

BOOL RecordShellRequest(SHELLEXECUTEINFOW* info) {
    ++g_request.calls;
    g_request.verb = info->lpVerb ? info->lpVerb : L"";
    g_request.file = info->lpFile ? info->lpFile : L"";
    g_request.mask = info->fMask;
    g_request.parent = info->hwnd;
    g_request.show = info->nShow;
    return TRUE;
}
}  // namespace

TEST(PluginStatus, ReportOfAPluginWithTwoEntriesAndItsDialog) {
    ManagePluginHost plugins;
    const int index = plugins.Index("mg_verfall" SPI_EXT);
    ASSERT_GE(index, 0);
    HMODULE module = plugins.host->GetPlugin(index)->module.get();
    const std::string expected =
        " [Plugin Data]\r\n"
        " Plugin Name : " + plugins.dir.File("mg_verfall" SPI_EXT) + " \r\n"
        " Plugin Type : 00IN\r\n"
        " Plugin Desc. : Tavrin dialog test plug-in\r\n"
        " Support Ext(s) : *.a / *.b\r\n"
        " Support Type(s) : Type A / Type B\r\n"
        " \r\n"
        " [Susie-API func. addr.]\r\n"
        " GetPluginInfo : " + Hex(module, "GetPluginInfo") + " \r\n"
        " IsSupported : " + Hex(module, "IsSupported") + " \r\n"
        " GetPictureInfo : 0x00000000 \r\n"
        " GetPicture : 0x00000000 \r\n"
        " GetPreview : 0x00000000 \r\n"
        " GetArchiveInfo : 0x00000000 \r\n"
        " GetFileInfo : 0x00000000 \r\n"
        " GetFile : 0x00000000 \r\n"
        " ConfigurationDlg : " + Hex(module, "ConfigurationDlg") + " \r\n"
        " \r\n"
        " [Version Data]\r\n"
        " CompanyName : Fallback 932\r\n"
        " FileDescription : テスト用プラグイン\r\n"
        " FileVersion : 1.2.3.4\r\n"
        " InternalName : verfall\r\n"
        " LegalCopyright : Public domain\r\n"
        " OriginalFilename : mg_verfall.spi\r\n"  // the version resource's own text
        " ProductName : Tavrin tests\r\n"
        " ProductVersion : 1.2\r\n"
        " Comments : Only in 0409/1252\r\n"
        " ";
    EXPECT_EQ(expected, BuildPluginStatusReport(*plugins.host, index));

    std::string shown;
    ModalScript script;
    script.Then("Susie-plugin status", [&](HWND status) {
        shown = ControlText(status, IDC_SPI_REPORT);
        // The hidden button cannot be pressed, and a message to it does nothing.
        EXPECT_FALSE(Click(status, IDC_SPI_MODULE_LIST));
        SendMessageW(status, WM_COMMAND, MAKEWPARAM(IDC_SPI_MODULE_LIST, BN_CLICKED), 0);
        EXPECT_TRUE(IsWindow(status));
        EXPECT_TRUE(Click(status, IDC_SPI_FILE_PROP));
        EXPECT_TRUE(IsWindow(status));
        Click(status, IDOK);
    });
    g_request = ShellRequest();
    CSPIStatusDlg::ShellRunner shell = CSPIStatusDlg::SetShellRunner(&RecordShellRequest);
    ShowPluginStatus(*plugins.host, index, nullptr);
    CSPIStatusDlg::SetShellRunner(shell);
    // The properties window of the plug-in file, with no parent and show state 0.
    EXPECT_EQ(1, g_request.calls);
    EXPECT_EQ(L"properties", g_request.verb);
    EXPECT_EQ(W(plugins.dir.File("mg_verfall" SPI_EXT)), g_request.file);
    EXPECT_EQ(ULONG(SEE_MASK_INVOKEIDLIST), g_request.mask);
    EXPECT_EQ(nullptr, g_request.parent);
    EXPECT_EQ(0, g_request.show);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(expected, shown);
}

TEST(PluginStatus, PluginWithoutDescriptionOrVersionShowsEmptyValues) {
    ManagePluginHost plugins;
    std::string report = BuildPluginStatusReport(*plugins.host, plugins.Index("mg_plain" SPI_EXT));
    EXPECT_NE(std::string::npos, report.find(" Plugin Desc. : \r\n"));
    EXPECT_NE(std::string::npos, report.find(" ConfigurationDlg : 0x00000000 \r\n"));
    EXPECT_NE(std::string::npos, report.find(" [Version Data]\r\n CompanyName : \r\n FileDescription : \r\n"));
    const std::string end = " Comments : \r\n ";
    ASSERT_GT(report.size(), end.size());
    EXPECT_EQ(end, report.substr(report.size() - end.size()));
}
