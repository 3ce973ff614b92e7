#include "ui/FolderImportDialog.h"

#include "framework/Handles.h"
#include "framework/TextBridge.h"
#include "image/PreviewDrawing.h"
#include "context/AppContext.h"
#include "plugin/CSPIControl.h"
#include "res/resource.h"
#include "util/ExtensionFilter.h"
#include "ui/StyleChoices.h"
#include "util/PathPieces.h"

namespace {
bool EndsWithSeparator(const std::string& folder) {
    // The last character, not the last byte: "表" ends in 0x5C too.
    bool last = false;
    for (size_t i = 0; i < folder.size(); ++i) {
        if (IsCp932LeadByte(folder[i]) && i + 1 < folder.size()) {
            ++i;
            last = false;
        } else {
            last = folder[i] == '\\' || folder[i] == '/';
        }
    }
    return last;
}

// The one rule both modes offer files by.
bool AcceptsFileName(const std::string& name, const std::string& patterns) {
    return patterns == "*.*" || MatchesExtensionFilter(name, patterns, " ");
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

const CommandEntry<FolderImportDialog> FolderImportDialog::kCommands[] = {
    {IDC_IMPORT_CHECKALL, &FolderImportDialog::OnCheckAll},
    {IDC_IMPORT_INVERT, &FolderImportDialog::OnInvert},
};

FolderImportDialog::FolderImportDialog(AppContext& context) : Dialog(IDD_FOLDERIMPORT), m_context(context) {}

FolderImportDialog::~FolderImportDialog() = default;

void FolderImportDialog::SetFolder(const std::string& folder) { m_folder = folder; }

void FolderImportDialog::SetFiles(const std::vector<std::string>& files) { m_files = files; }

std::vector<std::unique_ptr<CWallPaperData>> FolderImportDialog::TakeEntries() { return std::move(m_entries); }

std::vector<std::string> FolderImportDialog::FindInFolder(const std::string& folder, const std::string& patterns) {
    std::vector<std::string> found;
    if (folder.empty()) return found;
    std::string prefix = EndsWithSeparator(folder) ? folder : folder + "\\";
    // One listing of the folder, each file judged by its long name with the
    // rule dropped files go through.  A search per pattern would also match
    // the short (8.3) names, so "*.jpe" finds "x.jpeg" (X~1.JPE) and the
    // file comes twice.
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW(ToWide(prefix + "*").c_str(), &data));
    if (!find) return found;
    do {
        // Folders are no pictures, even when their names match.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // Characters without a code page 932 form become '?', which no
        // extension pattern needs.
        if (!AcceptsFileName(ToCp932(data.cFileName), patterns)) continue;
        // A name code page 932 cannot hold is kept in its short form; a
        // file that has none cannot be named in the list and is left out.
        std::string path = PathToCp932(ToWide(prefix) + data.cFileName);
        if (!path.empty() && GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            found.push_back(path);
    } while (FindNextFileW(find.get(), &data));
    return found;
}

std::vector<std::string> FolderImportDialog::FilterFiles(const std::vector<std::string>& files,
                                                         const std::string& patterns) {
    std::vector<std::string> accepted;
    for (const std::string& path : files) {
        if (path.empty() || IsFolder(path)) continue;
        if (AcceptsFileName(FileNameOf(path), patterns)) accepted.push_back(path);
    }
    return accepted;
}

BOOL FolderImportDialog::OnInitDialog() {
    m_fileList.Attach(Item(IDC_IMPORT_FILES));
    m_styles.Attach(Item(IDC_IMPORT_STYLE));
    FillStyles();
    FillFiles();
    m_previewRect = PreviewRectIn(hwnd(), Item(IDC_IMPORT_PREVIEW));
    m_preview.Attach(hwnd(), &m_context.cache(), [this] { InvalidateRect(hwnd(), &m_previewRect, TRUE); });
    m_preview.SetNeed(PreviewNeed{m_previewRect.right - m_previewRect.left, m_previewRect.bottom - m_previewRect.top, 0});
    UpdateData(false);
    return TRUE;
}

void FolderImportDialog::DoDataExchange(DataExchange& dx) { dx.ComboIndex(IDC_IMPORT_STYLE, m_styleIndex); }

void FolderImportDialog::OnCheckAll() { m_fileList.CheckAll(); }

void FolderImportDialog::OnInvert() { m_fileList.InvertChecks(); }

void FolderImportDialog::FillStyles() {
    m_styleIndex = FillStyleChoices(m_styles);
}

void FolderImportDialog::FillFiles() {
    const std::string patterns = m_context.cache().pluginHost().GetImagePatterns();
    m_rowPaths = m_files.empty() ? FindInFolder(m_folder, patterns) : FilterFiles(m_files, patterns);
    // A folder of thousands of pictures fills without a repaint per row.
    m_fileList.SetRedraw(false);
    m_fileList.ResetContent();
    for (size_t i = 0; i < m_rowPaths.size(); ++i)
        m_fileList.AddString(FileNameOf(m_rowPaths[i]), (LPARAM)i, CheckListBox::kChecked);
    m_fileList.SetRedraw(true);
}

std::string FolderImportDialog::RowPath(int row) const {
    if (row < 0 || row >= m_fileList.GetCount()) return {};
    size_t index = (size_t)m_fileList.GetItemData(row);
    return index < m_rowPaths.size() ? m_rowPaths[index] : std::string();
}

void FolderImportDialog::OnSelectionChange() {
    int row = m_fileList.GetCurSel();
    if (row < 0) return;
    m_previewPath = RowPath(row);
    // A row passed over on the way is not decoded: only where the selection rests.
    if (m_preview.Request(m_previewPath)) InvalidateRect(hwnd(), &m_previewRect, TRUE);
}

DisplayStyle FolderImportDialog::ChosenStyle() const {
    int row = m_styles.GetCurSel();
    return row < 0 ? kStyleStretch : static_cast<DisplayStyle>(m_styles.GetItemData(row));
}

void FolderImportDialog::PaintPreview() {
    if (m_previewPath.empty()) return;
    DrawDialogPreview(Item(IDC_IMPORT_PREVIEW), m_previewRect.right - m_previewRect.left,
                      m_previewRect.bottom - m_previewRect.top, m_preview.bitmap(),
                      m_context.settings().enableHalfTone, ChosenStyle());
}

void FolderImportDialog::OnOK() {
    UpdateData(true);
    // The sorted list places its rows: the code travels with the row.
    LPARAM style = m_styles.GetItemData(m_styleIndex >= 0 ? m_styleIndex : 0);
    if (!IsKnownStyle(static_cast<DisplayStyle>(style))) style = kStyleCentre;
    m_entries.clear();
    for (int row = 0; row < m_fileList.GetCount(); ++row) {
        std::string path = RowPath(row);
        if (path.empty()) continue;
        if (m_fileList.GetCheck(row) == CheckListBox::kChecked) {
            m_entries.push_back(
                std::make_unique<CWallPaperData>(FileNameOf(path), path, static_cast<DisplayStyle>(style)));
            m_entries.back()->m_bInUse = true;
        } else if (!m_context.list().FindByImagePath(path)) {
            // Pictures loaded only for the preview leave the cache; one the
            // wallpaper list already shows stays.
            m_context.cache().Unload(path);
        }
    }
    EndDialog(IDOK);
}

bool FolderImportDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (m_fileList.HandleParentMessage(message, wParam, lParam, result)) return true;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_IMPORT_FILES && HIWORD(wParam) == LBN_SELCHANGE) {
            OnSelectionChange();
            *result = 0;
            return true;
        }
        if (LOWORD(wParam) == IDC_IMPORT_STYLE && HIWORD(wParam) == CBN_SELCHANGE) {
            InvalidateRect(hwnd(), &m_previewRect, TRUE);  // fit and fill show differently
            *result = 0;
            return true;
        }
        if (HIWORD(wParam) == BN_CLICKED && DispatchCommandTable(this, kCommands, LOWORD(wParam))) {
            *result = 0;
            return true;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd(), &ps);
        EndPaint(hwnd(), &ps);
        PaintPreview();
        *result = 0;
        return true;
    }
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}
