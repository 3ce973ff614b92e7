// The plug-in status report: its exact text, CR LF line breaks, and texts of
// any length from a plug-in.
#include <gtest/gtest.h>

#include "plugin/PluginStatusReport.h"

namespace {
PluginStatusData Sample() {
    PluginStatusData data;
    data.modulePath = "C:\\spi\\ab.spi";
    data.apiVersion = "00IN";
    data.description = "AB loader";
    data.patterns = {"*.a", "*.b"};
    data.typeNames = {"A picture", "B picture"};
    data.entryPoints = {0x10001000u, 0x10001010u, 0, 0, 0, 0, 0, 0, 0xABCDEF01u};
    for (const char* key : kVersionKeys) data.versionValues.emplace_back(key, "");
    data.versionValues[0].second = "Maker";
    data.versionValues[2].second = "1.0";
    return data;
}
}  // namespace

TEST(PluginStatusReport, HasTheExactLayoutWithCrLfAndEndsWithALineBreakAndOneBlank) {
    const std::string expected =
        " [Plugin Data]\r\n"
        " Plugin Name : C:\\spi\\ab.spi \r\n"
        " Plugin Type : 00IN\r\n"
        " Plugin Desc. : AB loader\r\n"
        " Support Ext(s) : *.a / *.b\r\n"
        " Support Type(s) : A picture / B picture\r\n"
        " \r\n"
        " [Susie-API func. addr.]\r\n"
        " GetPluginInfo : 0x10001000 \r\n"
        " IsSupported : 0x10001010 \r\n"
        " GetPictureInfo : 0x00000000 \r\n"
        " GetPicture : 0x00000000 \r\n"
        " GetPreview : 0x00000000 \r\n"
        " GetArchiveInfo : 0x00000000 \r\n"
        " GetFileInfo : 0x00000000 \r\n"
        " GetFile : 0x00000000 \r\n"
        " ConfigurationDlg : 0xabcdef01 \r\n"
        " \r\n"
        " [Version Data]\r\n"
        " CompanyName : Maker\r\n"
        " FileDescription : \r\n"
        " FileVersion : 1.0\r\n"
        " InternalName : \r\n"
        " LegalCopyright : \r\n"
        " OriginalFilename : \r\n"
        " ProductName : \r\n"
        " ProductVersion : \r\n"
        " Comments : \r\n"
        " ";
    EXPECT_EQ(expected, FormatPluginStatus(Sample()));
}

TEST(PluginStatusReport, NoEntriesLeaveEmptyListsAndLongTextsStayWhole) {
    PluginStatusData data = Sample();
    data.patterns.clear();
    data.typeNames.clear();
    data.description = std::string(5000, 'x');
    std::string report = FormatPluginStatus(data);
    EXPECT_NE(std::string::npos, report.find(" Support Ext(s) : \r\n Support Type(s) : \r\n"));
    EXPECT_NE(std::string::npos, report.find(" Plugin Desc. : " + std::string(5000, 'x') + "\r\n"));
}

TEST(PluginStatusReport, LineFeedsBecomeCrLfOnce) {
    EXPECT_EQ("a\r\nb\r\n", ToCrLf("a\nb\n"));
    EXPECT_EQ("a\r\nb", ToCrLf("a\r\nb"));
    EXPECT_EQ("\r\n\r\n", ToCrLf("\n\n"));
    // A description with its own line break does not gain a second CR.
    PluginStatusData data = Sample();
    data.description = "two\r\nlines";
    EXPECT_NE(std::string::npos, FormatPluginStatus(data).find(" Plugin Desc. : two\r\nlines\r\n"));
}
