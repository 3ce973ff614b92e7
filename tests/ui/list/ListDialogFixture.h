#pragma once
// The list dialog on a list of the test's own, driven by a modal script:
// Opened() is the step that waits for it, Run() shows it until the script
// has run.  Message boxes are recorded and answered (`messages`).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AnsweringRecorder.h"
#include "ListEditTestSupport.h"
#include "ModalScript.h"
#include "framework/ListViewCtrl.h"
#include "res/resource.h"
#include "ui/WallpaperListDialog.h"

struct ListDialogFixture : ::testing::Test {
    TempDir dir;
    std::unique_ptr<ListEditContext> lists;
    AnsweringRecorder messages;
    ModalScript script;
    std::unique_ptr<WallpaperListDialog> dialog;
    HWND shown = nullptr;  // the list dialog, once Opened() has found it
    ListViewCtrl rows;

    // The dialog on a list holding `entries`, front first.
    void MakeDialog(const std::vector<TestEntry>& entries) {
        lists = std::make_unique<ListEditContext>(dir, entries);
        dialog = std::make_unique<WallpaperListDialog>(lists->context());
    }
    ModalScript::Step Opened() {
        return [this] {
            shown = FindThreadDialog("壁紙リスト");
            if (shown) rows.Attach(GetDlgItem(shown, IDC_LIST_ROWS));
            return shown != nullptr;
        };
    }
    INT_PTR Run() {
        script.Start();
        INT_PTR result = dialog->DoModal(nullptr);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(0u, script.failedStep());
        return result;
    }
    // The display names in the rows, top first.
    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < rows.GetItemCount(); ++i) names.push_back(rows.GetItemText(i, 1));
        return names;
    }
};
