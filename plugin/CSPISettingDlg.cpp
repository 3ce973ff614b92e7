#include "plugin/CSPISettingDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/TextBridge.h"
#include "framework/Window.h"
#include "plugin/CSPIControl.h"
#include "plugin/PluginDialogs.h"
#include "plugin/SusieTypes.h"
#include "res/resource.h"

namespace {

// A plug-in that answers every entry number must not hang the dialog.
constexpr int kMaxEntries = CSPIPlugin::kMaxSupportEntries;
constexpr int kInfoBuffer = 260;

constexpr int kColumnMargin = 16;

struct ColumnSpec {
    const char* title;
    int factor;
};
constexpr ColumnSpec kColumns[] = {
    {"使用/タイプ", 1}, {"名前", 4}, {"情報", 8}, {"対応拡張子", 2},
};

}  // namespace

CSPISettingDlg::CSPISettingDlg(CSPIControl& host) : Dialog(IDD_SPI_SETTING), m_host(host) {}

std::string CSPISettingDlg::TypeText(uint8_t typeFlags) {
    if (typeFlags & kSpiImage) return "画像展開";
    if (typeFlags & kSpiArchive) return "アーカイブ展開";
    return "謎";
}

int CSPISettingDlg::CompareTypeTexts(const std::string& a, const std::string& b) {
    // The texts are code page 932 whatever the system's own code page is, so
    // they are compared in their wide form under the system default locale.
    std::wstring wa = ToWide(a), wb = ToWide(b);
    switch (CompareStringW(LOCALE_SYSTEM_DEFAULT, 0, wa.c_str(), (int)wa.size(), wb.c_str(), (int)wb.size())) {
    case CSTR_LESS_THAN: return -1;
    case CSTR_GREATER_THAN: return 1;
    default: return 0;
    }
}

int CALLBACK CSPISettingDlg::CompareRows(LPARAM a, LPARAM b, LPARAM) {
    const Row* left = reinterpret_cast<const Row*>(a);
    const Row* right = reinterpret_cast<const Row*>(b);
    if (!left || !right) return 0;
    return CompareTypeTexts(left->typeText, right->typeText);
}

BOOL CSPISettingDlg::OnInitDialog() {
    m_list.Attach(Item(IDC_SPI_LIST));
    // The header's own margins, and in the first column the check box, come
    // on top of the text width so that no title is cut off.
    const int checkBox = GetSystemMetrics(SM_CXSMICON);
    int column = 0;
    for (const ColumnSpec& spec : kColumns) {
        int text = m_list.StringWidth(spec.title) * spec.factor;
        // The first column also shows the longest type text whole.
        if (column == 0) text = std::max(text, m_list.StringWidth(TypeText(kSpiArchive))) + checkBox;
        int width = text + kColumnMargin;
        m_list.InsertColumn(column, spec.title, width);
        ++column;
    }
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (int i = 0; i < m_host.GetPluginCount(); ++i) AddRow(i);
    SendMessageW(m_list.hwnd(), LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CSPISettingDlg::CompareRows));
    return TRUE;
}

void CSPISettingDlg::AddRow(int index) {
    auto row = std::make_unique<Row>(Row{index, TypeText(m_host.GetTypeFlags(index))});
    int at = m_list.InsertItem(0, row->typeText, reinterpret_cast<LPARAM>(row.get()));
    if (at < 0) return;
    m_list.SetItemText(at, 1, m_host.GetFileName(index));

    char info[kInfoBuffer];
    std::string description =
        m_host.GetPluginInfo(index, 1, info, sizeof(info)) ? std::string(info) : std::string("取得失敗");
    m_list.SetItemText(at, 2, description);

    std::string patterns, typeName, pattern;
    for (int n = 0; n < kMaxEntries && m_host.GetSupportEntry(index, n, &typeName, &pattern); ++n) {
        if (n) patterns += ";";
        patterns += pattern;
    }
    m_list.SetItemText(at, 3, patterns);
    m_list.SetCheck(at, m_host.IsEnabled(index));
    m_rows.push_back(std::move(row));
}

bool CSPISettingDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    static const CommandEntry<CSPISettingDlg> kCommands[] = {
        {IDC_SPI_CONFIG, &CSPISettingDlg::OnConfigure},
        {IDC_SPI_ABOUT, &CSPISettingDlg::OnAbout},
    };
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        DispatchCommandTable(this, kCommands, LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == IDC_SPI_LIST && header->code == LVN_ITEMCHANGED) {
            OnItemChanged();
            *result = 0;
            return true;
        }
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}

int CSPISettingDlg::SelectedPlugin() const {
    int selected = m_list.GetSelectedIndex();
    if (selected < 0) return -1;
    const Row* row = reinterpret_cast<const Row*>(m_list.GetItemData(selected));
    return row ? row->index : -1;
}

void CSPISettingDlg::OnItemChanged() {
    int plugin = SelectedPlugin();
    if (plugin < 0) {
        // "設定" keeps its state; pressing it with no row selected does nothing.
        EnableWindow(Item(IDC_SPI_ABOUT), FALSE);
        return;
    }
    EnableWindow(Item(IDC_SPI_ABOUT), TRUE);
    EnableWindow(Item(IDC_SPI_CONFIG), m_host.HasEntryPoint(plugin, CSPIPlugin::kConfigurationDlg) ? TRUE : FALSE);
}

void CSPISettingDlg::OnConfigure() {
    int plugin = SelectedPlugin();
    if (plugin < 0) return;
    CallPluginConfiguration(m_host, plugin, hwnd());
}

void CSPISettingDlg::OnAbout() {
    int plugin = SelectedPlugin();
    if (plugin < 0) return;
    ShowPluginStatus(m_host, plugin, hwnd());
}

void CSPISettingDlg::OnOK() {
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        const Row* row = reinterpret_cast<const Row*>(m_list.GetItemData(i));
        if (row) m_host.SetEnabled(row->index, m_list.GetCheck(i));
    }
    m_host.SaveDisabledList();
    EndDialog(IDOK);
}

bool CSPIControl::ShowSettingDialog(HWND parent) {
    CSPISettingDlg dialog(*this);
    return dialog.DoModal(parent) == IDOK;
}
