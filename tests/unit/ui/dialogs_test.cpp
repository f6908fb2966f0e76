#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "settings/settings_manager.h"
#include "support/scripted_dialog_window.h"
#include "support/temp_home.h"
#include "ui/dialog_ids.h"
#include "ui/first_run_dlg.h"
#include "ui/sync_exists_warning_dialog.h"

namespace {

using testing_support::ScriptedDialogService;
using testing_support::ScriptedDialogWindow;

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetDialogService(&service_);
        CSettingsManager settings;
        settings.SetUrl("http://stored/");
        settings.Save();
    }
    void TearDown() override { platform::SetDialogService(nullptr); }
    static ScriptedDialogService::Action Click(int id) {
        return [id](platform::DialogHandler& handler, ScriptedDialogWindow& window) {
            handler.OnCommand(window, id, platform::BN_CLICKED);
        };
    }
    static ScriptedDialogService::Action TypeUrl(const std::string& url) {
        return [url](platform::DialogHandler& handler, ScriptedDialogWindow& window) {
            window.SetControlText(IDC_URL, url);
            handler.OnCommand(window, IDC_URL, platform::EN_CHANGE);
        };
    }
    static std::string StoredUrl() {
        CSettingsManager settings;
        settings.Create();
        return settings.GetUrl();
    }

    testing_support::TempHome home_;
    ScriptedDialogService service_;
    CFirstRunDlg first_run_{[](const std::string&, const std::string&, const std::string&) {}};
};

TEST_F(Dialogs, FirstRunOkWithoutChangeSavesNothing) {
    service_.actions = {Click(IDC_OK)};
    // Change the stored value behind the dialog's back: an apply would overwrite it.
    service_.actions.insert(service_.actions.begin(), [](platform::DialogHandler&, ScriptedDialogWindow&) {
        CSettingsManager settings;
        settings.Create();
        settings.SetUrl("http://changed-meanwhile/");
        settings.Save();
    });
    EXPECT_EQ(first_run_.DoModal(), platform::IDOK);
    EXPECT_EQ(service_.shown_templates, std::vector<int>{IDD_FIRSTRUN});
    EXPECT_EQ(StoredUrl(), "http://changed-meanwhile/");
}

TEST_F(Dialogs, FirstRunAppliesAnEditOnOkOnly) {
    service_.actions = {TypeUrl("http://new/"), Click(IDC_CANCEL)};
    EXPECT_EQ(first_run_.DoModal(), platform::IDCANCEL);
    EXPECT_EQ(StoredUrl(), "http://stored/");
    service_.actions = {TypeUrl(" http://new/ "), Click(IDC_OK)};
    EXPECT_EQ(first_run_.DoModal(), platform::IDOK);
    EXPECT_EQ(StoredUrl(), "http://new/");
}

TEST_F(Dialogs, WarningButtonsCarryTheirCaptionsAndAnswersAndEnterPressesTheMiddleOne) {
    struct Row {
        int button;
        int answer;
    };
    for (const Row& row : {Row{IDC_WARNING_FIRST, platform::IDYES}, Row{IDC_WARNING_SECOND, platform::IDNO},
                           Row{IDC_WARNING_THIRD, platform::IDCANCEL}}) {
        SCOPED_TRACE(row.button);
        CSyncExistsWarningDialog dialog(
            "Work calendar no longer exists on the server. Delete it from Outlook?", 103, 109, 104);
        service_.actions = {Click(row.button)};
        EXPECT_EQ(dialog.DoModal(), row.answer);
        EXPECT_EQ(service_.window.GetControlText(IDC_WARNING_TEXT),
                  "Work calendar no longer exists on the server. Delete it from Outlook?");
        EXPECT_EQ(service_.window.GetControlText(IDC_WARNING_FIRST), "Delete");
        EXPECT_EQ(service_.window.GetControlText(IDC_WARNING_SECOND), "Restore on server");
        EXPECT_EQ(service_.window.GetControlText(IDC_WARNING_THIRD), "Cancel");
    }
    CSyncExistsWarningDialog dialog("text", 103, 108, 104);
    service_.actions = {[](platform::DialogHandler& handler, ScriptedDialogWindow& window) {
        handler.OnCommand(window, handler.DefaultButtonId(), platform::BN_CLICKED);
    }};
    EXPECT_EQ(dialog.DoModal(), platform::IDNO);
    EXPECT_EQ(service_.window.GetControlText(IDC_WARNING_SECOND), "Restore in Outlook");
}

}  // namespace
