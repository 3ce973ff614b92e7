#include "ui/CBMPFileDialog.h"

#include "framework/TextBridge.h"
#include "framework/UserMessages.h"
#include "image/PreviewDrawing.h"
#include "context/AppContext.h"
#include "res/resource.h"

namespace {
const char* const kUnusableNameMessage =
    "このファイルの名前には、扱えない文字が含まれています。\n名前を変えてから選んでください。";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

CBMPFileDialog::CBMPFileDialog(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                               DWORD flags, const std::string& filter, HWND parent)
    : FileDialog(openFileDialog, defaultExtension, fileName, flags, filter, parent, IDD_BMPFILEDIALOG) {}

CBMPFileDialog::~CBMPFileDialog() = default;

void CBMPFileDialog::SetContext(AppContext* context) { m_context = context; }

void CBMPFileDialog::OnInitDone() {
    HWND preview = GetDlgItem(hookWindow(), IDC_BMPFILE_PREVIEW);
    if (!preview) return;
    GetWindowRect(preview, &m_previewRect);
    MapWindowPoints(nullptr, hookWindow(), reinterpret_cast<POINT*>(&m_previewRect), 2);
    if (m_context)
        m_preview.Attach(hookWindow(), &m_context->cache(),
                         [this] { InvalidateRect(hookWindow(), &m_previewRect, TRUE); });
    m_preview.SetNeed(PreviewNeed{m_previewRect.right - m_previewRect.left, m_previewRect.bottom - m_previewRect.top, 0});
}

void CBMPFileDialog::OnSelChange() {
    std::string path = CurrentFilePath();
    // A selected folder is no picture: decoding it would only end in an error box.
    DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        m_previewPath.clear();
        m_preview.Clear();
    } else if (path != m_previewPath) {
        // The dialog reports one change several times (old row off, new row
        // on); the cache gains a reference per file chosen, not per report.
        // Files passed over on the way are not decoded: only where the
        // selection rests.
        m_previewPath = path;
        m_preview.Request(m_previewPath);
    }
    InvalidateRect(hookWindow(), &m_previewRect, TRUE);
}

void CBMPFileDialog::OnPaint() {
    if (m_previewPath.empty() || !m_context) return;
    HWND preview = GetDlgItem(hookWindow(), IDC_BMPFILE_PREVIEW);
    if (!preview) return;
    DrawDialogPreview(preview, m_previewRect.right - m_previewRect.left, m_previewRect.bottom - m_previewRect.top,
                      m_preview.bitmap(), m_context->settings().enableHalfTone);
}

bool CBMPFileDialog::OnFileOk() {
    // The list keeps code page 932 paths: a file whose name cannot be written
    // in it (not even in its short form) could never be found again.
    std::wstring chosen = CurrentFilePathWide();
    if (chosen.empty() || !Exists(chosen) || Exists(ToWide(PathToCp932(chosen)))) return true;
    ShowAppMessage(kUnusableNameMessage, MB_OK | MB_ICONEXCLAMATION, dialogWindow());
    return false;
}
