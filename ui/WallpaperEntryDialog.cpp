#include "ui/WallpaperEntryDialog.h"

#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "res/resource.h"
#include "ui/ListEditPickers.h"
#include "ui/StyleChoices.h"

namespace {
const char* const kEditCaption = "修正/削除";
const char* const kNameMissingMessage = "表示名を入力してください";
const char* const kDeleteQuestion = "本当に削除してよろしいですか？";

}  // namespace

const CommandEntry<WallpaperEntryDialog> WallpaperEntryDialog::kCommands[] = {
    {IDC_ENTRY_BROWSE, &WallpaperEntryDialog::OnBrowse},
    {IDC_ENTRY_DELETE, &WallpaperEntryDialog::OnDelete},
};

WallpaperEntryDialog::WallpaperEntryDialog(AppContext& context)
    : Dialog(IDD_WALLPAPER_ENTRY), m_context(context) {}

void WallpaperEntryDialog::SetValues(const std::string& displayName, const std::string& path, DisplayStyle style) {
    m_displayName = displayName;
    m_path = path;
    m_style = style;
}

BOOL WallpaperEntryDialog::OnInitDialog() {
    m_styles.Attach(Item(IDC_ENTRY_STYLE));
    // The row a new entry always started on, unless edit mode finds the entry's style.
    m_styles.SetCurSel(FillStyleChoices(m_styles));
    if (m_editMode) {
        SetWindowTextCp932(hwnd(), kEditCaption);
        ShowWindow(Item(IDC_ENTRY_DELETE), SW_SHOW);
        m_styles.SelectByData(m_style);
    }
    m_pathEdit.Attach(Item(IDC_ENTRY_PATH), kMaxBytes);
    m_nameEdit.Attach(Item(IDC_ENTRY_NAME), kMaxBytes);
    UpdateData(false);
    return TRUE;
}

void WallpaperEntryDialog::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_ENTRY_PATH, m_path);
    dx.Text(IDC_ENTRY_NAME, m_displayName);
}

void WallpaperEntryDialog::OnOK() {
    // Read the boxes first: nothing is kept unless every check passes.  No
    // length check: the boxes only ever hold what the list can hold (typing
    // stops at the limit, a longer stored or chosen value is kept whole).
    std::string path = GetWindowTextCp932(Item(IDC_ENTRY_PATH));
    std::string name = GetWindowTextCp932(Item(IDC_ENTRY_NAME));
    if (name.empty()) {
        ShowAppMessage(kNameMissingMessage, MB_OK | MB_ICONSTOP, hwnd());
        SetFocus(Item(IDC_ENTRY_NAME));
        return;
    }
    LPARAM style = 0;
    if (!m_styles.GetSelectedData(&style)) return;
    m_path = path;
    m_displayName = name;
    m_style = static_cast<DisplayStyle>(style);
    EndDialog(IDOK);
}

void WallpaperEntryDialog::OnBrowse() {
    UpdateData(true);  // what was typed stays if the pickers are cancelled
    PictureChoice choice;
    if (!ChoosePicture(m_context, hwnd(), &choice)) return;
    m_path = choice.path;
    m_displayName = choice.displayName;
    UpdateData(false);
}

void WallpaperEntryDialog::OnDelete() {
    if (!m_editMode) return;
    int answer = ShowAppMessage(kDeleteQuestion, MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2, hwnd());
    if (answer == IDOK) EndDialog(kDeleteResult);
}

bool WallpaperEntryDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        DispatchCommandTable(this, kCommands, LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}
