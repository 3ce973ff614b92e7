// The plug-in settings dialog over real test plug-ins, driven as a user
// would: rows grouped by type with their texts, the two buttons following
// the selection, the plug-in's own configuration dialog, the status dialog,
// and only OK changing the enabled flags and "DisableSPIs".
#include <gtest/gtest.h>

#include "ManageDialogDriver.h"
#include "PluginDialogTestSupport.h"
#include "plugin/CSPISettingDlg.h"
#include "plugin/PluginDialogs.h"
#include "res/resource.h"
#include "plugin/TestPluginExtension.h"

using namespace manage_test;

namespace {
const char kCaption[] = "Susie-plugin設定";
const char kStatusCaption[] = "Susie-plugin status";

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_SPI_LIST); }

int RowOf(HWND dialog, const std::string& fileName) {
    for (int i = 0; i < RowCount(List(dialog)); ++i)
        if (RowText(List(dialog), i, 1) == fileName) return i;
    return -1;
}

struct Row {
    std::string type, name, info, patterns;
    bool checked;
};

std::vector<Row> ReadRows(HWND dialog) {
    std::vector<Row> rows;
    HWND list = List(dialog);
    for (int i = 0; i < RowCount(list); ++i)
        rows.push_back(Row{RowText(list, i, 0), RowText(list, i, 1), RowText(list, i, 2), RowText(list, i, 3),
                           RowChecked(list, i)});
    return rows;
}
}  // namespace

ManagePluginHost::ManagePluginHost(bool pluginsOn, const char* storedDisabled)
    : settings(pluginsOn, dir.path()) {
    for (const char* fixture : {"mg_verfall", "mg_plain", "mg_arc", "mg_arc2"})
        EXPECT_FALSE(InstallPlugin(dir.path(), fixture).empty()) << fixture;
    if (storedDisabled) settings.profile.WriteString("Settings", "DisableSPIs", storedDisabled);
    host = std::make_unique<CSPIControl>(&settings.settings);
}

TEST(PluginSettingDialog, RowsAreGroupedByTypeWithNameInfoPatternsAndEnabledFlag) {
    ManagePluginHost plugins(true, "MG_ARC2" SPI_EXT_UPPER);
    ASSERT_EQ(4, plugins.host->GetPluginCount());
    std::vector<Row> rows;
    bool aboutEnabled = true, configEnabled = true;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        rows = ReadRows(dialog);
        aboutEnabled = IsEnabled(dialog, IDC_SPI_ABOUT);
        configEnabled = IsEnabled(dialog, IDC_SPI_CONFIG);
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(plugins.host->ShowSettingDialog(nullptr));
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(aboutEnabled);
    EXPECT_FALSE(configEnabled);

    ASSERT_EQ(4u, rows.size());
    // Archives first, then images, whatever the order of the scan.
    EXPECT_EQ("アーカイブ展開", rows[0].type);
    EXPECT_EQ("アーカイブ展開", rows[1].type);
    EXPECT_EQ("画像展開", rows[2].type);
    EXPECT_EQ("画像展開", rows[3].type);
    std::map<std::string, Row> byName;
    for (const Row& row : rows) byName[row.name] = row;
    EXPECT_EQ("Tavrin dialog test plug-in", byName["mg_verfall" SPI_EXT].info);
    EXPECT_EQ("*.a;*.b", byName["mg_verfall" SPI_EXT].patterns);
    EXPECT_EQ("取得失敗", byName["mg_plain" SPI_EXT].info);
    EXPECT_EQ("*.a", byName["mg_plain" SPI_EXT].patterns);
    EXPECT_EQ("Tavrin archive test", byName["mg_arc" SPI_EXT].info);
    EXPECT_EQ("*.arc", byName["mg_arc" SPI_EXT].patterns);
    EXPECT_TRUE(byName["mg_verfall" SPI_EXT].checked);
    EXPECT_TRUE(byName["mg_arc" SPI_EXT].checked);
    EXPECT_FALSE(byName["mg_arc2" SPI_EXT].checked);  // stored in upper case
    EXPECT_EQ("MG_ARC2" SPI_EXT_UPPER, plugins.Stored());
}

TEST(PluginSettingDialog, ButtonsFollowTheSelectionAndConfigureCallsThePluginWithThisDialog) {
    ManagePluginHost plugins;
    const int verfall = plugins.Index("mg_verfall" SPI_EXT);
    struct State { bool about, config; };
    std::vector<State> states;
    HWND dialogWindow = nullptr;
    int callsBeforeClick = -1, callsWithNothingSelected = -1;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        dialogWindow = dialog;
        auto note = [&] { states.push_back(State{IsEnabled(dialog, IDC_SPI_ABOUT), IsEnabled(dialog, IDC_SPI_CONFIG)}); };
        SelectRow(List(dialog), RowOf(dialog, "mg_plain" SPI_EXT));
        note();
        SelectRow(List(dialog), RowOf(dialog, "mg_verfall" SPI_EXT));
        note();
        callsBeforeClick = CallFixture<int>(*plugins.host, verfall, "FixtureConfigCalls");
        EXPECT_TRUE(Click(dialog, IDC_SPI_CONFIG));
        SelectRow(List(dialog), -1);
        note();
        // "設定" keeps its state with nothing selected, and does nothing.
        Click(dialog, IDC_SPI_CONFIG);
        callsWithNothingSelected = CallFixture<int>(*plugins.host, verfall, "FixtureConfigCalls");
        SelectRow(List(dialog), RowOf(dialog, "mg_arc" SPI_EXT));
        note();
        Click(dialog, IDCANCEL);
    });
    plugins.host->ShowSettingDialog(nullptr);
    EXPECT_TRUE(script.done());
    ASSERT_EQ(4u, states.size());
    EXPECT_TRUE(states[0].about);
    EXPECT_FALSE(states[0].config);  // no ConfigurationDlg
    EXPECT_TRUE(states[1].about);
    EXPECT_TRUE(states[1].config);
    EXPECT_FALSE(states[2].about);
    EXPECT_TRUE(states[2].config);
    EXPECT_TRUE(states[3].about);
    EXPECT_FALSE(states[3].config);
    EXPECT_EQ(0, callsBeforeClick);
    EXPECT_EQ(1, callsWithNothingSelected);
    EXPECT_EQ(dialogWindow, CallFixture<HWND>(*plugins.host, verfall, "FixtureConfigParent"));
    EXPECT_EQ(1, CallFixture<int>(*plugins.host, verfall, "FixtureConfigFunction"));
}

TEST(PluginSettingDialog, OkWritesTheFlagsAndDisableSPIsAtOnce) {
    ManagePluginHost plugins(true, "mg_arc2" SPI_EXT);
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        PressSpaceOn(List(dialog), RowOf(dialog, "mg_arc" SPI_EXT));   // off
        PressSpaceOn(List(dialog), RowOf(dialog, "mg_arc2" SPI_EXT));  // on
        SetRowChecked(List(dialog), RowOf(dialog, "mg_verfall" SPI_EXT), false);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(plugins.host->ShowSettingDialog(nullptr));
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(plugins.host->IsEnabled(plugins.Index("mg_arc" SPI_EXT)));
    EXPECT_TRUE(plugins.host->IsEnabled(plugins.Index("mg_arc2" SPI_EXT)));
    EXPECT_FALSE(plugins.host->IsEnabled(plugins.Index("mg_verfall" SPI_EXT)));
    EXPECT_TRUE(plugins.host->IsEnabled(plugins.Index("mg_plain" SPI_EXT)));
    // In index order, lower-cased.
    std::string expected = plugins.Index("mg_arc" SPI_EXT) < plugins.Index("mg_verfall" SPI_EXT)
                               ? "mg_arc" SPI_EXT "\\mg_verfall" SPI_EXT : "mg_verfall" SPI_EXT "\\mg_arc" SPI_EXT;
    EXPECT_EQ(expected, plugins.Stored());
    // The filters follow at once.
    std::string filter = plugins.host->GetOpenFilter(true);
    EXPECT_EQ(std::string::npos, filter.find("*.arc"));
    EXPECT_EQ(std::string::npos, filter.find("*.b"));
    EXPECT_NE(std::string::npos, filter.find("*.ar2"));
}

TEST(PluginSettingDialog, CancelChangesNoFlagAndNotTheStoredList) {
    ManagePluginHost plugins(true, "mg_arc2" SPI_EXT "\\\\");
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        PressSpaceOn(List(dialog), RowOf(dialog, "mg_arc" SPI_EXT));
        PressSpaceOn(List(dialog), RowOf(dialog, "mg_arc2" SPI_EXT));
        EXPECT_FALSE(RowChecked(List(dialog), RowOf(dialog, "mg_arc" SPI_EXT)));
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(plugins.host->ShowSettingDialog(nullptr));
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(plugins.host->IsEnabled(plugins.Index("mg_arc" SPI_EXT)));
    EXPECT_FALSE(plugins.host->IsEnabled(plugins.Index("mg_arc2" SPI_EXT)));
    EXPECT_EQ("mg_arc2" SPI_EXT "\\\\", plugins.Stored());
}

TEST(PluginSettingDialog, WithNoPluginTheListIsEmptyAndOkKeepsTheStoredList) {
    ManagePluginHost plugins(false, "old" SPI_EXT);
    ASSERT_EQ(0, plugins.host->GetPluginCount());
    int rows = -1;
    bool about = true, config = true;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        rows = RowCount(List(dialog));
        about = IsEnabled(dialog, IDC_SPI_ABOUT);
        config = IsEnabled(dialog, IDC_SPI_CONFIG);
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(plugins.host->ShowSettingDialog(nullptr));
    EXPECT_TRUE(script.done());
    EXPECT_EQ(0, rows);
    EXPECT_FALSE(about);
    EXPECT_FALSE(config);
    // A host that never held a plug-in knows nothing of the stored names.
    EXPECT_EQ("old" SPI_EXT, plugins.Stored());
}

TEST(PluginSettingDialog, EnablingTheLastDisabledPluginStoresAnEmptyList) {
    ManagePluginHost plugins(true, "mg_arc2" SPI_EXT);
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        PressSpaceOn(List(dialog), RowOf(dialog, "mg_arc2" SPI_EXT));
        Click(dialog, IDOK);
    });
    EXPECT_TRUE(plugins.host->ShowSettingDialog(nullptr));
    EXPECT_TRUE(script.done());
    EXPECT_EQ("", plugins.Stored());
    for (int i = 0; i < plugins.host->GetPluginCount(); ++i) EXPECT_TRUE(plugins.host->IsEnabled(i));
}

TEST(PluginSettingDialog, AboutShowsTheStatusOfTheFirstSelectedRow) {
    ManagePluginHost plugins;
    std::string report, firstSelected;
    bool moduleListVisible = true;
    ModalScript script;
    script.Then(kCaption, [&](HWND dialog) {
        // Two rows selected: the one higher in the list counts.
        int plain = RowOf(dialog, "mg_plain" SPI_EXT), verfall = RowOf(dialog, "mg_verfall" SPI_EXT);
        firstSelected = plain < verfall ? "mg_plain" SPI_EXT : "mg_verfall" SPI_EXT;
        SelectRow(List(dialog), plain);
        AddRowToSelection(List(dialog), verfall);
        EXPECT_TRUE(Click(dialog, IDC_SPI_ABOUT));  // runs the status dialog's steps inside
        Click(dialog, IDCANCEL);
    });
    script.Then(kStatusCaption, [&](HWND status) {
        report = ControlText(status, IDC_SPI_REPORT);
        moduleListVisible = IsWindowVisible(GetDlgItem(status, IDC_SPI_MODULE_LIST)) != FALSE;
        Click(status, IDOK);
    });
    plugins.host->ShowSettingDialog(nullptr);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(BuildPluginStatusReport(*plugins.host, plugins.Index(firstSelected)), report);
    EXPECT_NE(std::string::npos, report.find(plugins.dir.File(firstSelected) + " \r\n"));
    EXPECT_FALSE(moduleListVisible);
}

TEST(PluginSettingDialog, TypeTextsAndTheirOrder) {
    EXPECT_EQ("画像展開", CSPISettingDlg::TypeText(0x01));
    EXPECT_EQ("画像展開", CSPISettingDlg::TypeText(0x81));
    EXPECT_EQ("アーカイブ展開", CSPISettingDlg::TypeText(0x82));
    EXPECT_EQ("謎", CSPISettingDlg::TypeText(0x10));
    EXPECT_EQ(0, CSPISettingDlg::CompareTypeTexts("謎", "謎"));
    EXPECT_EQ(-CSPISettingDlg::CompareTypeTexts("画像展開", "謎"), CSPISettingDlg::CompareTypeTexts("謎", "画像展開"));
}
