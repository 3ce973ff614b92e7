#pragma once
// The settings dialog (template 129, "設定とか"): every setting but the
// selected wallpaper and its style, the picture cache and plug-in dialogs,
// the modules loaded into this process, and an about area with links.
// Working copies are filled on opening and reach the settings only by OK;
// the opener saves the settings afterwards (see SettingsFollowUp.h).
#include <windows.h>

#include <string>
#include <vector>

#include "framework/CheckListBox.h"
#include "framework/Dialog.h"
#include "framework/ListViewCtrl.h"
#include "framework/ToolTipCtrl.h"
#include "ui/HyperlinkLabel.h"
#include "ui/SettingsSystem.h"

class AppContext;

class SettingsDialog : public Dialog {
public:
    static constexpr const char* kFoldedText = " 拡張(&E) >>";
    static constexpr const char* kExpandedText = "<< 縮小(&S)";
    static constexpr const char* kListFilter = "壁紙リスト(*.tvl)|*.tvl|全てのﾌｧｲﾙ(*.*)|*.*||";
    static constexpr const char* kProgramFilter = "実行ファイル(*.exe)|*.exe|全てのﾌｧｲﾙ(*.*)|*.*||";
    static constexpr const char* kPluginFolderTitle = "Susie-pluginの場所";
    static constexpr const char* kSnapshotFailed = "取得失敗";

    // What the dialog asks of the system; tests replace single members.
    struct SystemCalls {
        std::string (*lookUpDeskCal)();
        bool (*supportsHalftone)();
        bool (*chooseFile)(HWND owner, const std::string& filter, std::string* path);
        bool (*chooseFolder)(HWND owner, const std::string& title, std::string* path);
        bool (*snapshotModules)(std::vector<LoadedModule>* modules);
        void (*showProperties)(HWND owner, const std::string& path);
        void (*openPictureCache)(AppContext& context, HWND parent);
        void (*openPluginSettings)(AppContext& context, HWND parent);
    };
    static SystemCalls s_system;
    static const SystemCalls kRealSystem;

    explicit SettingsDialog(AppContext& context);

    // Set by OK when the list-file path differs from the one in the settings.
    bool listPathChanged() const { return m_listPathChanged; }
    bool folded() const { return m_folded; }
    const ToolTipCtrl& toolTips() const { return m_toolTips; }
    const HyperlinkLabel& label(int id) const;
    const std::vector<std::string>& modulePaths() const { return m_modulePaths; }

    // Forgets the measured sizes (they are otherwise kept for the process).
    static void ForgetMeasurements();

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnOK() override;

private:
    void AddPortRows();
    void SetFolded(bool folded);
    void EnableVisibleControls();
    void ApplyOptionRules(bool pluginsOn, bool previewOn);
    void ApplyOptionRulesFromBoxes();
    void SetUpLinks();
    void SetUpToolTips();
    void BuildModuleList();
    void ShowSelectedModuleProperties();
    bool OnCommand(WORD id, WORD code, HWND control);
    void OnBrowseListFile();
    void OnBrowsePluginFolder();
    // The check box of the desktop's menu item: registers or removes it at once.
    void OnDesktopVerb();
    void OnBrowseProgram();
    void OnDeskCalSearch();
    static LRESULT CALLBACK ModuleListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);

    AppContext& m_context;
    bool m_listPathChanged = false;
    bool m_folded = true;
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;

    // Working copies.
    std::string m_listFilePath;
    std::string m_postChangeCommand;
    std::string m_spiPath;
    bool m_enableSSTP = false;
    bool m_enableHalfTone = false;
    bool m_enableSelectPreview = false;
    bool m_preloadPreviewPics = false;
    bool m_enableSPI = false;
    bool m_reuseCacheFile = false;
    bool m_changingEffect = false;
    std::string m_ukagakaStatus;
    std::string m_sspStatus;

    CheckListBox m_ports;
    ListViewCtrl m_modules;
    std::vector<std::string> m_modulePaths;
    ToolTipCtrl m_toolTips;
    HyperlinkLabel m_links[4];  // 1045, 1044, 1046, 1070
};
