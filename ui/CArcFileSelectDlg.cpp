#include "ui/CArcFileSelectDlg.h"

#include <shellapi.h>

#include <cstdio>
#include <ctime>

#include "framework/TextBridge.h"
#include "image/PreviewDrawing.h"
#include "context/AppContext.h"
#include "plugin/ArchiveMemberPath.h"
#include "plugin/CSPIControl.h"
#include "res/resource.h"
#include "util/ExtensionFilter.h"
#include "util/PathPieces.h"

namespace {
// No extension can equal this, so the first member always asks for an icon.
const char* const kNoExtension = "./\\;|";

std::string LocalTimeText(uint32_t timestamp) {
    time_t t = (time_t)timestamp;
    struct tm local = {};
    if (localtime_s(&local, &t) != 0) return {};
    char text[128] = {};
    size_t n = strftime(text, sizeof(text), "%c", &local);
    return std::string(text, n);
}

int ExtensionIcon(ImageListCtrl& icons, const std::string& extension) {
    SHFILEINFOW info = {};
    std::wstring name = ToWide(extension);
    if (!SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                        SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) ||
        !info.hIcon)
        return -1;
    int index = icons.AddIcon(info.hIcon);
    DestroyIcon(info.hIcon);
    return index;
}
}  // namespace

CArcFileSelectDlg::CArcFileSelectDlg(AppContext& context, const std::string& archivePath)
    : Dialog(IDD_ARCFILESELECT), m_context(context), m_archivePath(archivePath) {}

CArcFileSelectDlg::~CArcFileSelectDlg() = default;

std::string CArcFileSelectDlg::ResultPath() const { return m_memberPath; }

const std::string& CArcFileSelectDlg::displayName() const { return m_displayName; }

std::string CArcFileSelectDlg::DetailsText(const CArcFileEntry& entry) {
    std::string time = LocalTimeText(entry.timestamp);
    std::string method = entry.MethodText();
    // Sizes and offsets are unsigned 32-bit values: shown as such, never negative.
    std::vector<char> buffer(entry.fileName.size() + time.size() + method.size() + 160);
    int n = snprintf(buffer.data(), buffer.size(),
                     "Name:%s\nTime:%s\nOrg_Size:%lu\nPak_Size:%lu\nOffset:%lu\nCRC:0x%lx\nMethod:%s",
                     entry.fileName.c_str(), time.c_str(), (unsigned long)entry.unpackedSize,
                     (unsigned long)entry.packedSize, (unsigned long)entry.position, (unsigned long)entry.crc,
                     method.c_str());
    std::string text(buffer.data(), n > 0 ? std::min<size_t>((size_t)n, buffer.size() - 1) : 0);
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

std::vector<std::pair<std::string, std::string>> CArcFileSelectDlg::FilterRows(const std::string& filter) {
    std::vector<std::string> pieces = SplitCp932(filter, '|');
    std::vector<std::pair<std::string, std::string>> rows;
    for (size_t i = 0; i + 1 < pieces.size(); i += 2) rows.emplace_back(pieces[i], pieces[i + 1]);
    return rows;
}

BOOL CArcFileSelectDlg::OnInitDialog() {
    m_filterBox.Attach(Item(IDC_ARC_FILTER));
    m_memberList.Attach(Item(IDC_ARC_LIST));
    m_icons.Create(16, 16, 32, 32);
    m_memberList.SetImageList(m_icons.handle(), LVSIL_SMALL);

    CSPIControl& host = m_context.cache().pluginHost();
    if (host.GetArcFileList(m_archivePath, &m_entries) != 0) {
        // The host has said why (except for an unreadable file); nothing is chosen.
        m_entries.clear();
        EndDialog(IDCANCEL);
        return TRUE;
    }
    for (const auto& row : FilterRows(host.GetOpenFilter(false))) {
        m_filterPatterns.push_back(row.second);
        m_filterBox.AddString(row.first, (LPARAM)(m_filterPatterns.size() - 1));
    }
    SetWindowTextCp932(Item(IDC_ARC_PATH), m_archivePath);
    m_previewRect = PreviewRectIn(hwnd(), Item(IDC_ARC_PREVIEW));
    m_preview.Attach(hwnd(), &m_context.cache(), [this] { InvalidateRect(hwnd(), &m_previewRect, TRUE); });
    m_preview.SetNeed(PreviewNeed{m_previewRect.right - m_previewRect.left, m_previewRect.bottom - m_previewRect.top, 0});
    m_filterIndex = 0;
    UpdateData(false);
    FillMemberList();
    return TRUE;
}

void CArcFileSelectDlg::DoDataExchange(DataExchange& dx) {
    dx.ComboIndex(IDC_ARC_FILTER, m_filterIndex);
    dx.Text(IDC_ARC_FILENAME, m_fileName);
}

const CArcFileEntry* CArcFileSelectDlg::RowEntry(int row) const {
    if (row < 0 || row >= m_memberList.GetItemCount()) return nullptr;
    size_t index = (size_t)m_memberList.GetItemData(row);
    return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

void CArcFileSelectDlg::FillMemberList() {
    UpdateData(true);
    HCURSOR previousCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    m_memberList.SetRedraw(false);
    if (m_filterIndex < 0) m_filterIndex = 0;
    std::string pattern;
    if (m_filterIndex < m_filterBox.GetCount()) {
        size_t index = (size_t)m_filterBox.GetItemData(m_filterIndex);
        if (index < m_filterPatterns.size()) pattern = m_filterPatterns[index];
    }

    // Rows go before the entries' icons, so no row shows an icon that is gone.
    m_memberList.DeleteAllItems();
    m_icons.RemoveAll();
    std::string previousExtension = kNoExtension;
    int icon = -1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const CArcFileEntry& entry = *m_entries[i];
        if (entry.fileName.empty() || !MatchesExtensionFilter(entry.fileName, pattern, ";")) continue;
        std::string extension = ExtensionOf(entry.fileName);
        if (extension != previousExtension) {
            icon = ExtensionIcon(m_icons, extension);
            previousExtension = extension;
        }
        // Each member goes on top: the list shows the archive backwards.
        m_memberList.InsertItem(0, entry.MemberPath(), (LPARAM)i, icon);
    }
    ClearSelection();
    m_memberList.SetRedraw(true);
    UpdateData(false);
    SetCursor(previousCursor);
}

void CArcFileSelectDlg::ClearSelection() {
    m_member.clear();
    m_displayName.clear();
    m_memberPath.clear();
    m_preview.Clear();
    m_fileName.clear();
    SetWindowTextCp932(Item(IDC_ARC_DETAILS), "");
    InvalidateRect(hwnd(), &m_previewRect, TRUE);
}

void CArcFileSelectDlg::OnMemberSelected(int row) {
    const CArcFileEntry* entry = RowEntry(row);
    if (!entry) return;
    SetWindowTextCp932(Item(IDC_ARC_DETAILS), DetailsText(*entry));
    m_member = entry->MemberPath();
    m_displayName = m_member;
    m_memberPath = MakeArchiveMemberPath(m_archivePath, m_member);
    m_fileName = m_member;
    // A member passed over on the way is not extracted and decoded: only where the selection rests.
    if (m_preview.Request(m_memberPath)) InvalidateRect(hwnd(), &m_previewRect, TRUE);
    UpdateData(false);
}

void CArcFileSelectDlg::PaintPreview() {
    if (m_memberPath.empty()) return;
    DrawDialogPreview(Item(IDC_ARC_PREVIEW), m_previewRect.right - m_previewRect.left,
                      m_previewRect.bottom - m_previewRect.top, m_preview.bitmap(),
                      m_context.settings().enableHalfTone);
}

void CArcFileSelectDlg::OnOK() {
    // The result is the member last chosen in the list; typing in the name box changes nothing.
    EndDialog(IDOK);
}

bool CArcFileSelectDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (m_closing || !header || header->idFrom != IDC_ARC_LIST) break;
        if (header->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED))
                OnMemberSelected(change->iItem);
            *result = 0;
            return true;
        }
        break;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ARC_FILTER && HIWORD(wParam) == CBN_SELCHANGE) {
            FillMemberList();
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
    case WM_DESTROY:
        // The rows go with the window; the entries they point to stay until the object goes.
        m_closing = true;
        m_memberList.DeleteAllItems();
        break;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}
