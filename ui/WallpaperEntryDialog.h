#pragma once
// Asks for one wallpaper's image path, display name and display style.  In
// add mode ("新規追加") it only returns values; in edit mode ("修正/削除") it
// can also return kDeleteResult when the user confirmed deleting the entry.
// It never touches the list itself: the caller acts on the result.
#include <string>

#include "framework/ComboBoxCtrl.h"
#include "framework/Cp932LimitedEdit.h"
#include "framework/Dialog.h"
#include "framework/Window.h"
#include "list/DisplayStyle.h"

class AppContext;

class WallpaperEntryDialog : public Dialog {
public:
    static constexpr INT_PTR kDeleteResult = 1020;
    // Typing and pasting into either text field stop at this many code page
    // 932 bytes.  A longer value (a stored path from folder import, dropped
    // files or "...") opens whole and is accepted as it is: over the limit
    // the user may delete, and may insert only what brings the value within
    // the limit again.
    static constexpr size_t kMaxBytes = 128;

    explicit WallpaperEntryDialog(AppContext& context);

    // Set before showing.
    void SetEditMode(bool edit) { m_editMode = edit; }
    void SetValues(const std::string& displayName, const std::string& path, DisplayStyle style);

    bool editMode() const { return m_editMode; }
    const std::string& displayName() const { return m_displayName; }
    const std::string& path() const { return m_path; }
    DisplayStyle style() const { return m_style; }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnOK() override;

private:
    void OnBrowse();
    void OnDelete();

    static const CommandEntry<WallpaperEntryDialog> kCommands[];

    AppContext& m_context;
    bool m_editMode = false;
    std::string m_displayName;
    std::string m_path;
    DisplayStyle m_style = kStyleCentre;
    ComboBoxCtrl m_styles;
    Cp932LimitedEdit m_nameEdit;
    Cp932LimitedEdit m_pathEdit;
};
