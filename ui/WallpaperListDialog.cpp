#include "ui/WallpaperListDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <map>

#include "framework/DroppedFiles.h"
#include "framework/FolderChooser.h"
#include "framework/UserMessages.h"
#include "image/PreviewDrawing.h"
#include "context/AppContext.h"
#include "res/resource.h"
#include "ui/ListEditPickers.h"
#include "ui/WallpaperEntryDialog.h"

namespace {
const char* const kFolderChooserTitle = "場所";
const char* const kDeleteUncheckedQuestion = "チェックされていないアイテムを消してよいですか？";

constexpr int kHeaderMargins = 12;  // a header item's text margins, both sides

struct Column { const char* heading; int widthFactor; };
const Column kColumns[] = {
    {"使用", 1},
    {"表示名", 2},
    {"パス", 8},
    {"表示形態", 2},
};
}  // namespace

const CommandEntry<WallpaperListDialog> WallpaperListDialog::kCommands[] = {
    {IDC_LIST_MOVE_UP, &WallpaperListDialog::OnMoveUp},
    {IDC_LIST_MOVE_DOWN, &WallpaperListDialog::OnMoveDown},
    {IDC_LIST_ADD, &WallpaperListDialog::OnAdd},
    {IDC_LIST_ADD_FOLDER, &WallpaperListDialog::OnAddFolder},
    {IDC_LIST_DELETE_UNCHECKED, &WallpaperListDialog::OnDeleteUnchecked},
};

WallpaperListDialog::WallpaperListDialog(AppContext& context)
    : Dialog(IDD_WALLPAPER_LIST), m_context(context) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_icon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON, 0, 0,
                               LR_DEFAULTSIZE | LR_SHARED);
    m_smallIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAINFRAME), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
}

// Entries added here and never handed to the list go with the dialog.
WallpaperListDialog::~WallpaperListDialog() = default;

CWallPaperData* WallpaperListDialog::RowEntry(int row) const {
    return reinterpret_cast<CWallPaperData*>(m_rows.GetItemData(row));
}

BOOL WallpaperListDialog::OnInitDialog() {
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, (LPARAM)m_icon);
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, (LPARAM)(m_smallIcon ? m_smallIcon : m_icon));

    m_rows.Attach(Item(IDC_LIST_ROWS));
    // Each column is as wide as its heading times its factor, plus the
    // header's own margins so that even a factor of 1 shows the heading whole.
    for (int i = 0; i < (int)(sizeof(kColumns) / sizeof(kColumns[0])); ++i)
        m_rows.InsertColumn(i, kColumns[i].heading,
                            m_rows.StringWidth(kColumns[i].heading) * kColumns[i].widthFactor + kHeaderMargins);
    m_rows.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);

    // Last entry first, so the rows read top to bottom as the tray menu does.
    m_rows.SetRedraw(false);
    const WallPaperEntries& entries = m_context.list().entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        BuildRow(m_rows.GetItemCount(), it->get(), (*it)->m_bInUse);
    m_rows.SetRedraw(true);

    m_previewRect = PreviewRectIn(hwnd(), Item(IDC_LIST_PREVIEW));
    m_preview.Attach(hwnd(), &m_context.cache(), [this] { InvalidatePreview(); });
    m_preview.SetNeed(PreviewNeed{m_previewRect.right - m_previewRect.left, m_previewRect.bottom - m_previewRect.top, 0});
    return TRUE;
}

int WallpaperListDialog::BuildRow(int index, CWallPaperData* entry, bool checked) {
    int row = m_rows.InsertItem(index, std::string(), reinterpret_cast<LPARAM>(entry));
    if (row < 0) return row;
    m_rows.SetItemText(row, 1, entry->m_strName);
    m_rows.SetItemText(row, 2, entry->m_strPath);
    const char* style = StyleName(entry->m_nStyle);
    m_rows.SetItemText(row, 3, style ? style : "");
    m_rows.SetCheck(row, checked);
    return row;
}

void WallpaperListDialog::Move(int delta) {
    int row = m_rows.GetSelectedIndex();
    if (row < 0) return;
    int target = row + delta;
    if (target < 0 || target >= m_rows.GetItemCount()) return;
    CWallPaperData* entry = RowEntry(row);
    // The row keeps the check box the user may have changed since opening.
    bool checked = m_rows.GetCheck(row);
    m_rows.DeleteItem(row);
    int moved = BuildRow(target, entry, checked);
    if (moved >= 0) m_rows.SelectItem(moved);
    SetFocus(m_rows.hwnd());
    m_listChanged = true;
}

void WallpaperListDialog::OnAdd() {
    WallpaperEntryDialog entryDialog(m_context);
    if (entryDialog.DoModal(hwnd()) != IDOK) return;
    auto entry = std::make_unique<CWallPaperData>(entryDialog.displayName(), entryDialog.path(), entryDialog.style());
    entry->m_bInUse = true;
    BuildRow(m_rows.GetItemCount(), entry.get(), true);
    m_added.push_back(std::move(entry));
    m_listChanged = true;
}

void WallpaperListDialog::OnEditRow() {
    int row = m_rows.GetSelectedIndex();
    if (row < 0) return;
    CWallPaperData* entry = RowEntry(row);
    if (!entry) return;

    // The entry dialog is owned by this one, so this one takes no input while
    // it is open: nothing can delete the row's entry under it.
    WallpaperEntryDialog entryDialog(m_context);
    entryDialog.SetEditMode(true);
    entryDialog.SetValues(entry->m_strName, entry->m_strPath, entry->m_nStyle);
    INT_PTR result = entryDialog.DoModal(hwnd());
    if (result == IDOK) {
        std::string oldPath = entry->m_strPath;
        entry->m_strName = entryDialog.displayName();
        entry->m_strPath = entryDialog.path();
        entry->m_nStyle = entryDialog.style();
        bool checked = m_rows.GetCheck(row);
        m_rows.DeleteItem(row);
        BuildRow(row, entry, checked);
        m_listModified = true;
        if (entry->m_strPath != oldPath) {
            m_listChanged = true;
            m_context.cache().Unload(oldPath);
            if (m_context.settings().preloadPreviewPics) m_context.cache().Load(entry->m_strPath);
        }
    } else if (result == WallpaperEntryDialog::kDeleteResult) {
        m_rows.DeleteItem(row);
        std::string path = entry->m_strPath;
        if (DestroyEntry(entry)) m_context.cache().Unload(path);
        m_listChanged = true;
    }
}

bool WallpaperListDialog::DestroyEntry(CWallPaperData* entry) {
    WallPaperEntries& listed = m_context.list().entries();
    auto inList = std::find_if(listed.begin(), listed.end(), [&](const auto& e) { return e.get() == entry; });
    if (inList != listed.end()) {
        listed.erase(inList);
        m_listModified = true;
        return true;
    }
    auto added = std::find_if(m_added.begin(), m_added.end(), [&](const auto& e) { return e.get() == entry; });
    if (added != m_added.end()) m_added.erase(added);
    return false;
}

void WallpaperListDialog::AppendImported(std::vector<std::unique_ptr<CWallPaperData>> entries) {
    m_rows.SetRedraw(false);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!*it) continue;
        BuildRow(m_rows.GetItemCount(), it->get(), (*it)->m_bInUse);
        m_added.push_back(std::move(*it));
    }
    m_rows.SetRedraw(true);
}

void WallpaperListDialog::OnAddFolder() {
    std::string folder = ChooseFolder(hwnd(), kFolderChooserTitle);
    if (folder.empty()) return;
    AppendImported(ImportPictures(m_context, hwnd(), folder, {}));
}

void WallpaperListDialog::OnDropFiles(HDROP drop) {
    std::vector<std::string> files;
    {
        DroppedFiles dropped(drop);
        files = ReadableFilesOnly(dropped.Paths());
    }
    if (files.empty()) return;
    AppendImported(ImportPictures(m_context, hwnd(), std::string(), files));
}

void WallpaperListDialog::OnDeleteUnchecked() {
    if (ShowAppMessage(kDeleteUncheckedQuestion, MB_YESNO | MB_ICONEXCLAMATION, hwnd()) != IDYES) return;
    m_rows.SetRedraw(false);
    for (int row = m_rows.GetItemCount() - 1; row >= 0; --row) {
        if (m_rows.GetCheck(row)) continue;
        CWallPaperData* entry = RowEntry(row);
        m_rows.DeleteItem(row);
        // The pictures go at the cache's next synchronisation, after the dialog.
        if (DestroyEntry(entry)) m_listChanged = true;
    }
    m_rows.SetRedraw(true);
}

void WallpaperListDialog::ShowPreviewOfSelection() {
    int row = m_rows.GetSelectedIndex();
    if (row < 0) return;
    CWallPaperData* entry = RowEntry(row);
    if (!entry) return;
    m_previewPath = entry->m_strPath;
    m_previewStyle = entry->m_nStyle;
    // A row passed over on the way is not decoded: only where the selection rests.
    if (m_preview.Request(m_previewPath)) InvalidatePreview();
}

void WallpaperListDialog::InvalidatePreview() {
    InvalidateRect(hwnd(), &m_previewRect, TRUE);
    InvalidateRect(Item(IDC_LIST_PREVIEW), nullptr, TRUE);
}

void WallpaperListDialog::OnPaint() {
    PAINTSTRUCT paint;
    BeginPaint(hwnd(), &paint);
    EndPaint(hwnd(), &paint);
    if (m_previewPath.empty()) return;
    DrawDialogPreview(Item(IDC_LIST_PREVIEW), m_previewRect.right - m_previewRect.left,
                      m_previewRect.bottom - m_previewRect.top, m_preview.bitmap(),
                      m_context.settings().enableHalfTone, m_previewStyle);
}

LRESULT WallpaperListDialog::OnNotify(const NMHDR& header) {
    if (header.idFrom != IDC_LIST_ROWS) return 0;
    switch (header.code) {
    case NM_CLICK:
        ShowPreviewOfSelection();
        break;
    case LVN_ITEMCHANGED: {
        // Only a row becoming selected changes the preview: check boxes and
        // focus changes notify too.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
            !(change.uOldState & LVIS_SELECTED))
            ShowPreviewOfSelection();
        break;
    }
    case NM_DBLCLK:
        OnEditRow();
        break;
    default:
        break;
    }
    return 0;
}

void WallpaperListDialog::OnOK() {
    // The rows' order, first to last, goes to the front of the list one by
    // one: the last row becomes the first entry.  Ownership moves from the
    // list and from the entries added here into the new order.
    WallPaperEntries& listed = m_context.list().entries();
    std::vector<CWallPaperData*> previousOrder;
    std::map<CWallPaperData*, std::unique_ptr<CWallPaperData>> owned;
    for (auto& entry : listed) {
        previousOrder.push_back(entry.get());
        owned[entry.get()] = std::move(entry);
    }
    for (auto& entry : m_added) owned[entry.get()] = std::move(entry);
    m_added.clear();

    WallPaperEntries reordered;
    for (int row = m_rows.GetItemCount() - 1; row >= 0; --row) {
        auto it = owned.find(RowEntry(row));
        if (it == owned.end() || !it->second) continue;
        it->second->m_bInUse = m_rows.GetCheck(row);
        reordered.push_back(std::move(it->second));
    }
    // An entry without a row (none is expected) is kept rather than lost.
    for (CWallPaperData* entry : previousOrder)
        if (owned[entry]) reordered.push_back(std::move(owned[entry]));
    listed = std::move(reordered);
    m_listModified = true;
    EndDialog(IDOK);
}

void WallpaperListDialog::OnCancel() { EndDialog(IDCANCEL); }

bool WallpaperListDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && DispatchCommandTable(this, kCommands, LOWORD(wParam))) {
            *result = 0;
            return true;
        }
        break;
    case WM_NOTIFY:
        *result = OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return true;
    case WM_PAINT:
        OnPaint();
        *result = 0;
        return true;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        *result = 0;
        return true;
    default:
        break;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}
