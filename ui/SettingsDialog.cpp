#include "ui/SettingsDialog.h"

#include <commctrl.h>

#include "settings/DeskCal.h"
#include "settings/DesktopMenuVerb.h"
#include "framework/UserMessages.h"
#include "framework/TextBridge.h"
#include "context/AppContext.h"
#include "res/resource.h"
#include "ui/ManagementDialogs.h"
#include "util/PathPieces.h"
#include "util/SystemVersion.h"

namespace {

// The full and folded sizes, measured the first time the dialog folds or
// expands and kept for the process, so every opening folds to the same size.
struct FoldSizes {
    bool measured = false;
    int width = 0;
    int fullHeight = 0;
    int foldedHeight = 0;
};
FoldSizes g_sizes;

struct LinkSpec {
    int id;
    const char* target;  // null: the help file beside the program
};
// In the order the links are given their targets.
const LinkSpec kLinks[4] = {
    {IDC_SET_LINK_CREDIT2, "https://cmake.org/"},
    {IDC_SET_LINK_CREDIT1, "https://www.mingw-w64.org/"},
    {IDC_SET_LINK_MAKER, nullptr},
    {IDC_SET_LINK_CREDIT3, "https://www.winehq.org/"},
};

const int kToolTipControls[] = {
    IDC_SET_SELECT_PREVIEW, IDC_SET_PRELOAD,      IDC_SET_HALFTONE,     IDC_SET_ENABLE_SPI, IDC_SET_CACHE_MANAGER,
    IDC_SET_SPI_SETTINGS,   IDC_SET_LINK_CREDIT1, IDC_SET_LINK_CREDIT2, IDC_SET_LINK_MAKER, IDC_SET_LINK_CREDIT3,
    IDC_SET_APP_ICON,       IDC_SET_REUSE_CACHE,  IDC_SET_EFFECT,       IDC_SET_DESKTOP_VERB,
};

const char* const kDesktopVerbFailedMessage = "デスクトップの右クリックメニューを変更できませんでした。";

const char* const kPortRows[] = {"9801(for 伺か)", "9821(for SSP)", "11000(過去互換で現在は未使用)"};
constexpr int kStoredPortRows = 2;  // the last row has no byte of its own

constexpr UINT_PTR kModuleListSubclass = 0x4D4F44;  // "MOD"

std::string LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::string();
    return ToCp932(std::wstring(text, length));
}

// Everything up to the last backslash (the module's folder).
std::string FolderOf(const std::string& path) {
    size_t cut = std::string::npos;
    for (size_t i = 0; i < path.size();) {
        if (path[i] == '\\') cut = i;
        i += (IsCp932LeadByte(path[i]) && i + 1 < path.size()) ? 2 : 1;
    }
    return cut == std::string::npos ? path : path.substr(0, cut);
}

}  // namespace

const SettingsDialog::SystemCalls SettingsDialog::kRealSystem = {
    &LookUpDeskCal,     &IsWindows2000OrLater, &ChooseFileToOpen,       &ChooseFileSystemFolder,
    &SnapshotModules,   &ShowFileProperties,   &RunPictureCacheManager, &RunPluginSettings,
};
SettingsDialog::SystemCalls SettingsDialog::s_system = SettingsDialog::kRealSystem;

SettingsDialog::SettingsDialog(AppContext& context) : Dialog(IDD_SETTINGS), m_context(context) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE | LR_SHARED));
    m_smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                LR_SHARED));
}

void SettingsDialog::ForgetMeasurements() { g_sizes = FoldSizes(); }

const HyperlinkLabel& SettingsDialog::label(int id) const {
    for (int i = 0; i < 4; ++i)
        if (kLinks[i].id == id) return m_links[i];
    return m_links[0];
}

BOOL SettingsDialog::OnInitDialog() {
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    m_listPathChanged = false;

    AddPortRows();
    if (!s_system.supportsHalftone()) ShowWindow(Item(IDC_SET_HALFTONE), SW_HIDE);
    m_folded = true;
    SetFolded(true);

    const AppSettings& settings = m_context.settings();
    m_listFilePath = settings.listFilePath;
    m_postChangeCommand = settings.postChangeCommand;
    m_spiPath = settings.spiPath;
    m_enableSSTP = settings.enableSSTP;
    m_enableHalfTone = settings.enableHalfTone;
    m_enableSelectPreview = settings.enableSelectPreview;
    m_preloadPreviewPics = settings.preloadPreviewPics;
    m_enableSPI = settings.enableSPI;
    m_reuseCacheFile = settings.reuseCacheFile;
    m_changingEffect = settings.changingEffect;
    m_ukagakaStatus.clear();
    m_sspStatus.clear();

    ApplyOptionRules(m_enableSPI, m_enableSelectPreview);
    UpdateData(false);
    SetUpLinks();
    SetUpToolTips();
    BuildModuleList();
    // The desktop's menu item is the registry's, not a setting: shown as it is now.
    CheckDlgButton(hwnd(), IDC_SET_DESKTOP_VERB,
                   DesktopVerbRunsProgram(ThisProgramPath()) ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void SettingsDialog::DoDataExchange(DataExchange& dx) {
    dx.Text(IDC_SET_LIST_PATH, m_listFilePath);
    dx.Text(IDC_SET_COMMAND, m_postChangeCommand);
    dx.Text(IDC_SET_SPI_PATH, m_spiPath);
    dx.Check(IDC_SET_ENABLE_SSTP, m_enableSSTP);
    dx.Check(IDC_SET_HALFTONE, m_enableHalfTone);
    dx.Check(IDC_SET_SELECT_PREVIEW, m_enableSelectPreview);
    dx.Check(IDC_SET_PRELOAD, m_preloadPreviewPics);
    dx.Check(IDC_SET_ENABLE_SPI, m_enableSPI);
    dx.Check(IDC_SET_REUSE_CACHE, m_reuseCacheFile);
    dx.Check(IDC_SET_EFFECT, m_changingEffect);
    dx.Text(IDC_SET_UKAGAKA_STATUS, m_ukagakaStatus);
    dx.Text(IDC_SET_SSP_STATUS, m_sspStatus);
}

void SettingsDialog::AddPortRows() {
    if (!m_ports.Attach(Item(IDC_SET_PORT_LIST))) return;
    const AppSettings& settings = m_context.settings();
    for (int row = 0; row < 3; ++row) {
        bool on = row < kStoredPortRows && settings.ports[row] != 0;
        m_ports.AddString(kPortRows[row], row, on ? CheckListBox::kChecked : CheckListBox::kUnchecked);
    }
}

void SettingsDialog::SetFolded(bool folded) {
    if (!g_sizes.measured) {
        RECT window, line;
        GetWindowRect(hwnd(), &window);
        GetWindowRect(Item(IDC_SET_FOLD_LINE), &line);
        g_sizes.measured = true;
        g_sizes.width = window.right - window.left;
        g_sizes.fullHeight = window.bottom - window.top;
        g_sizes.foldedHeight = line.top - window.top;
    }
    m_folded = folded;
    SetWindowPos(hwnd(), nullptr, 0, 0, g_sizes.width, folded ? g_sizes.foldedHeight : g_sizes.fullHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextCp932(Item(IDC_SET_FOLD_BUTTON), folded ? kFoldedText : kExpandedText);
    EnableVisibleControls();
    ApplyOptionRulesFromBoxes();
}

// Controls outside the visible window cannot be reached by the user, nor by
// the keyboard: they are disabled.
void SettingsDialog::EnableVisibleControls() {
    RECT window;
    GetWindowRect(hwnd(), &window);
    for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect, common;
        GetWindowRect(child, &rect);
        EnableWindow(child, IntersectRect(&common, &rect, &window));
    }
}

void SettingsDialog::ApplyOptionRules(bool pluginsOn, bool previewOn) {
    EnableWindow(Item(IDC_SET_SPI_PATH), pluginsOn);
    EnableWindow(Item(IDC_SET_SPI_BROWSE), pluginsOn);
    EnableWindow(Item(IDC_SET_SPI_SETTINGS), pluginsOn);
    EnableWindow(Item(IDC_SET_PRELOAD), previewOn);
    EnableWindow(Item(IDC_SET_HALFTONE), previewOn);
}

void SettingsDialog::ApplyOptionRulesFromBoxes() {
    ApplyOptionRules(IsDlgButtonChecked(hwnd(), IDC_SET_ENABLE_SPI) == BST_CHECKED,
                     IsDlgButtonChecked(hwnd(), IDC_SET_SELECT_PREVIEW) == BST_CHECKED);
}

void SettingsDialog::SetUpLinks() {
    for (int i = 0; i < 4; ++i) {
        m_links[i].Attach(Item(kLinks[i].id));
        std::string target =
            kLinks[i].target ? kLinks[i].target : m_context.settings().programDirectory + "Tavrin.chm";
        m_links[i].SetLink(target, HyperlinkLabel::kLinkColour, HyperlinkLabel::kVisitedColour);
    }
}

void SettingsDialog::SetUpToolTips() {
    if (!m_toolTips.Create(hwnd())) return;
    m_toolTips.Activate(true);
    for (int id : kToolTipControls) m_toolTips.AddTool(Item(id), LoadResourceString(id));
}

void SettingsDialog::BuildModuleList() {
    m_modules.Attach(Item(IDC_SET_MODULE_LIST));
    RECT client;
    GetClientRect(m_modules.hwnd(), &client);
    int width = client.right - client.left;
    m_modules.InsertColumn(0, "DLL名", width / 3);
    m_modules.InsertColumn(1, "パス", width * 2);
    m_modulePaths.clear();

    std::vector<LoadedModule> modules;
    if (!s_system.snapshotModules(&modules)) {
        int row = m_modules.InsertItem(0, kSnapshotFailed, 0);
        m_modules.SetItemText(row, 1, kSnapshotFailed);
    } else {
        for (const LoadedModule& module : modules) {
            int row = m_modules.InsertItem(m_modules.GetItemCount(), module.name,
                                           static_cast<LPARAM>(m_modulePaths.size()));
            m_modules.SetItemText(row, 1, FolderOf(module.path));
            m_modulePaths.push_back(module.path);
        }
    }
    m_modules.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    SetWindowSubclass(m_modules.hwnd(), &SettingsDialog::ModuleListProc, kModuleListSubclass,
                      reinterpret_cast<DWORD_PTR>(this));
}

void SettingsDialog::ShowSelectedModuleProperties() {
    int row = m_modules.GetSelectedIndex();
    if (row < 0 || static_cast<size_t>(row) >= m_modulePaths.size()) return;
    s_system.showProperties(hwnd(), m_modulePaths[row]);
}

// Alt+Enter on the module list (the caption tells the user to press it).
LRESULT CALLBACK SettingsDialog::ModuleListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self) {
    switch (message) {
    case WM_SYSKEYDOWN:
        if (wParam == VK_RETURN) {
            reinterpret_cast<SettingsDialog*>(self)->ShowSelectedModuleProperties();
            return 0;
        }
        break;
    case WM_SYSCHAR:
        if (wParam == L'\r') return 0;  // no beep for the handled key
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &SettingsDialog::ModuleListProc, kModuleListSubclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_COMMAND:
        for (HyperlinkLabel& link : m_links)
            if (link.ReflectCommand(wParam, lParam)) {
                *result = 0;
                return true;
            }
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
            *result = 0;
            return true;
        }
        break;
    case WM_CTLCOLORSTATIC:
        for (const HyperlinkLabel& link : m_links) {
            if (link.hwnd() && link.hwnd() == reinterpret_cast<HWND>(lParam)) {
                // The default answer, with the label's own text colour.
                *result = DefWindowProcW(hwnd(), message, wParam, lParam);
                link.OnParentCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
                return true;
            }
        }
        return false;
    case WM_SETCURSOR:
        for (const HyperlinkLabel& link : m_links)
            if (link.OnParentSetCursor(reinterpret_cast<HWND>(wParam))) {
                *result = TRUE;
                return true;
            }
        return false;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        if (m_ports.hwnd() && static_cast<int>(wParam) == IDC_SET_PORT_LIST)
            return m_ports.HandleParentMessage(message, wParam, lParam, result);
        return false;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == IDC_SET_MODULE_LIST && header->code == NM_RETURN) {
            ShowSelectedModuleProperties();
            *result = 0;
            return true;
        }
        return false;
    }
    default:
        break;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}

bool SettingsDialog::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_SET_FOLD_BUTTON: SetFolded(!m_folded); return true;
    case IDC_SET_DESKTOP_VERB: OnDesktopVerb(); return true;
    case IDC_SET_ENABLE_SPI:
    case IDC_SET_SELECT_PREVIEW: ApplyOptionRulesFromBoxes(); return true;
    case IDC_SET_LIST_BROWSE: OnBrowseListFile(); return true;
    case IDC_SET_SPI_BROWSE: OnBrowsePluginFolder(); return true;
    case IDC_SET_COMMAND_BROWSE: OnBrowseProgram(); return true;
    case IDC_SET_DESKCAL_SEARCH: OnDeskCalSearch(); return true;
    // Both act at once; what they change does not wait for this dialog's OK.
    case IDC_SET_CACHE_MANAGER: s_system.openPictureCache(m_context, hwnd()); return true;
    case IDC_SET_SPI_SETTINGS: s_system.openPluginSettings(m_context, hwnd()); return true;
    default: return false;
    }
}

// Each chooser changes its own field only; whatever else was typed stays.
void SettingsDialog::OnBrowseListFile() {
    std::string path;
    if (s_system.chooseFile(hwnd(), kListFilter, &path)) SetWindowTextCp932(Item(IDC_SET_LIST_PATH), path);
}

void SettingsDialog::OnDesktopVerb() {
    // Registered or removed at once: OK and キャンセル do not undo it.
    const std::string program = ThisProgramPath();
    const bool wanted = IsDlgButtonChecked(hwnd(), IDC_SET_DESKTOP_VERB) == BST_CHECKED;
    const bool done = wanted ? !program.empty() && RegisterDesktopVerb(program) : RemoveDesktopVerb();
    if (done) return;
    ShowAppMessage(kDesktopVerbFailedMessage, MB_OK | MB_ICONEXCLAMATION, hwnd());
    CheckDlgButton(hwnd(), IDC_SET_DESKTOP_VERB, DesktopVerbRunsProgram(program) ? BST_CHECKED : BST_UNCHECKED);
}

void SettingsDialog::OnBrowsePluginFolder() {
    std::string folder;
    if (s_system.chooseFolder(hwnd(), kPluginFolderTitle, &folder)) SetWindowTextCp932(Item(IDC_SET_SPI_PATH), folder);
}

void SettingsDialog::OnBrowseProgram() {
    std::string path;
    if (s_system.chooseFile(hwnd(), kProgramFilter, &path)) SetWindowTextCp932(Item(IDC_SET_COMMAND), path);
}

void SettingsDialog::OnDeskCalSearch() {
    std::string found = s_system.lookUpDeskCal();
    if (!found.empty()) SetWindowTextCp932(Item(IDC_SET_COMMAND), found);
}

void SettingsDialog::OnOK() {
    if (!UpdateData(true)) return;
    AppSettings& settings = m_context.settings();
    m_listPathChanged = m_listFilePath != settings.listFilePath;

    settings.enableSSTP = m_enableSSTP;
    settings.listFilePath = m_listFilePath;
    settings.postChangeCommand = m_postChangeCommand;
    settings.enableHalfTone = m_enableHalfTone;
    settings.enableSelectPreview = m_enableSelectPreview;
    settings.preloadPreviewPics = m_preloadPreviewPics;
    settings.spiPath = m_spiPath;
    settings.enableSPI = m_enableSPI;
    settings.changingEffect = m_changingEffect;

    bool wasReusing = settings.reuseCacheFile;
    settings.reuseCacheFile = m_reuseCacheFile;
    if (!wasReusing && m_reuseCacheFile) {
        m_context.cache().UnloadAll();
        m_context.cache().LoadCacheFile();
    }

    // Every row but the last has a byte of its own.
    int rows = m_ports.GetCount();
    for (int row = 0; row < rows - 1 && row < kStoredPortRows; ++row) {
        int index = static_cast<int>(m_ports.GetItemData(row));
        if (index >= 0 && index < kStoredPortRows)
            settings.ports[index] = m_ports.GetCheck(row) == CheckListBox::kChecked ? 1 : 0;
    }
    EndDialog(IDOK);
}
