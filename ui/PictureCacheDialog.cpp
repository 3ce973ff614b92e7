#include "ui/PictureCacheDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "framework/Window.h"
#include "image/PreviewDrawing.h"
#include "image/CWallBitmapList.h"
#include "context/AppContext.h"
#include "res/resource.h"

namespace {

constexpr int kColumnMargin = 16;

struct ColumnSpec {
    const char* title;
    int factor;
};
constexpr ColumnSpec kColumns[] = {
    {"削除", 1}, {"パス", 9}, {"サイズ", 2}, {"参照回数", 1},
};
constexpr int kPathColumn = 1;

std::string Formatted(const char* format, int value) {
    char text[32];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}
std::string SizeText(int bytes) { return Formatted("%dBytes", bytes); }
std::string CountText(int count) { return Formatted("%d回", count); }

}  // namespace

bool ShowPictureCacheDialog(AppContext& context, HWND parent) {
    PictureCacheDialog dialog(context);
    return dialog.DoModal(parent) == IDOK;
}

PictureCacheDialog::PictureCacheDialog(AppContext& context) : Dialog(IDD_PICTURE_CACHE), m_context(context) {}

BOOL PictureCacheDialog::OnInitDialog() {
    m_list.Attach(Item(IDC_CACHE_LIST));
    // The header's own margins, and in the first column the check box, come
    // on top of the text width so that no title is cut off.
    // The size and count columns are also as wide as their widest value.
    const int checkBox = GetSystemMetrics(SM_CXSMICON);
    int widest[std::size(kColumns)] = {};
    for (const auto& [path, picture] : m_context.cache().pictures()) {
        widest[2] = std::max(widest[2], m_list.StringWidth(SizeText(picture->m_nSize)));
        widest[3] = std::max(widest[3], m_list.StringWidth(CountText(picture->m_nRefCount)));
    }
    int column = 0;
    for (const ColumnSpec& spec : kColumns) {
        int text = std::max(m_list.StringWidth(spec.title) * spec.factor, widest[column]);
        int width = text + kColumnMargin + (column == 0 ? checkBox : 0);
        m_list.InsertColumn(column, spec.title, width);
        ++column;
    }
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    AddRows();

    m_previewRect = PreviewRectIn(hwnd(), Item(IDC_CACHE_PREVIEW));
    ShowBytesHeld();
    return TRUE;
}

std::string BytesHeldText(uint64_t held, uint64_t budget) {
    // In whole MiB, rounded up, so a few small pictures do not show as 0.
    auto mib = [](uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20); };
    return mib(held) + "/" + mib(budget) + "MB";
}

void PictureCacheDialog::ShowBytesHeld() {
    const CWallBitmapList& cache = m_context.cache();
    SetWindowTextCp932(Item(IDC_CACHE_BUDGET), BytesHeldText(cache.heldBytes(), cache.budget()));
}

void PictureCacheDialog::AddRows() {
    int row = 0;
    for (const auto& [path, picture] : m_context.cache().pictures()) {
        int at = m_list.InsertItem(row, "", 0);
        if (at < 0) continue;
        m_list.SetItemText(at, kPathColumn, path);
        m_list.SetItemText(at, 2, SizeText(picture->m_nSize));
        m_list.SetItemText(at, 3, CountText(picture->m_nRefCount));
        m_list.SetCheck(at, false);
        ++row;
    }
}

bool PictureCacheDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    static const CommandEntry<PictureCacheDialog> kCommands[] = {
        {IDC_CACHE_CHECK_ALL, &PictureCacheDialog::OnCheckAll},
        {IDC_CACHE_INVERT, &PictureCacheDialog::OnInvert},
        {IDC_CACHE_RELOAD, &PictureCacheDialog::OnReloadAll},
    };
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && DispatchCommandTable(this, kCommands, LOWORD(wParam))) {
            *result = 0;
            return true;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == IDC_CACHE_LIST && header->code == LVN_ITEMCHANGED) {
            OnItemChanged();
            *result = 0;
            return true;
        }
        break;
    }
    case WM_PAINT:
        OnPaint();
        *result = 0;
        return true;
    }
    return Dialog::HandleMessage(message, wParam, lParam, result);
}

void PictureCacheDialog::OnCheckAll() {
    for (int i = 0; i < m_list.GetItemCount(); ++i) m_list.SetCheck(i, true);
}

void PictureCacheDialog::OnInvert() {
    for (int i = 0; i < m_list.GetItemCount(); ++i) m_list.SetCheck(i, !m_list.GetCheck(i));
}

void PictureCacheDialog::OnReloadAll() {
    if (ShowAppMessage("画像バッファをリロードします。よろしいですか？", MB_YESNO | MB_ICONEXCLAMATION, hwnd()) != IDYES)
        return;
    m_previewHold.reset();
    m_context.cache().ReloadAll();
    // The rows keep their texts; the preview looks its picture up again.
    m_previewHold = m_context.cache().Hold(m_previewPath);
    ShowBytesHeld();
    InvalidateRect(hwnd(), &m_previewRect, TRUE);
    ShowAppMessage("画像バッファをリロードしました。", MB_OK | MB_ICONINFORMATION, hwnd());
}

void PictureCacheDialog::OnItemChanged() {
    int selected = m_list.GetSelectedIndex();
    if (selected < 0) return;
    m_previewPath = m_list.GetItemText(selected, kPathColumn);
    // Held while shown: the cache never releases it under the dialog.
    m_previewHold = m_context.cache().Hold(m_previewPath);
    InvalidateRect(hwnd(), &m_previewRect, TRUE);
}

void PictureCacheDialog::OnPaint() {
    PAINTSTRUCT paint;
    BeginPaint(hwnd(), &paint);
    EndPaint(hwnd(), &paint);
    if (m_previewPath.empty()) return;
    DrawDialogPreview(Item(IDC_CACHE_PREVIEW), m_previewRect.right - m_previewRect.left,
                      m_previewRect.bottom - m_previewRect.top, m_previewHold.bitmap(),
                      m_context.settings().enableHalfTone);
}

void PictureCacheDialog::OnOK() {
    // In display order; a path that left the cache in a reload is simply not there.
    for (int i = 0; i < m_list.GetItemCount(); ++i)
        if (m_list.GetCheck(i)) m_context.cache().Unload(m_list.GetItemText(i, kPathColumn));
    EndDialog(IDOK);
}
