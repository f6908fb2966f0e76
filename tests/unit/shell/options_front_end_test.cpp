// The options page through the terminal front end: edits typed as a user would, Apply trims and sets the
// SyncFlag bits, intervals outside the list are refused.
#include <gtest/gtest.h>

#include "addin/zel_prop_page_control.h"
#include "host/terminal_dialog_service.h"
#include "host/terminal_dialog_window.h"
#include "settings/addin_exception.h"
#include "shell_fixture.h"
#include "ui/dialog_ids.h"
#include "ui/first_run_dlg.h"

namespace shell_test {
namespace {

class OptionsFrontEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        CSettingsManager settings;
        settings.Create();
        settings.SetUrl("https://dav.example.org/");
        settings.SetEmail("alice@example.org");
        settings.SetPassword("old");
        settings.SetLogin("login-kept");
        settings.SetSyncFlag(kSyncCalendars | 0x10 | 0x400);
        settings.Save();
        page_.Attach(
            new CZelPropPageControl([](const std::string&, const std::string&, const std::string&) {}));
        ASSERT_EQ(page_->GetPresenter(&presenter_), S_OK);
        page_->OnInitDialog(window_);
    }

    testing_support::TempHome home_;
    platform::ComPtr<CZelPropPageControl> page_;
    platform::DialogHandler* presenter_ = nullptr;
    TerminalDialogWindow window_;
};

TEST_F(OptionsFrontEnd, ApplyTrimsTheTextsAndSetsTheFlagBits) {
    PageEdits edits;
    edits.url = "  http://127.0.0.1:5232/  ";
    edits.email = " alice ";
    edits.password = " pässwörd ";
    edits.contacts = true;
    edits.calendars = false;
    edits.calendar_interval = "60";
    edits.contact_interval = "off";
    std::string error;
    ASSERT_TRUE(ApplyPageEdits(*presenter_, window_, edits, &error)) << error;
    ASSERT_EQ(page_->Apply(), S_OK);
    CSettingsManager settings;
    settings.Create();
    EXPECT_EQ(settings.GetUrl(), "http://127.0.0.1:5232/");
    EXPECT_EQ(settings.GetEmail(), "alice");
    // The password is kept as typed, non-ASCII letters included.
    EXPECT_EQ(settings.GetPassword(), " pässwörd ");
    EXPECT_EQ(settings.GetSyncFlag(), kSyncContacts | 0x80 | 0x100);
    EXPECT_EQ(settings.GetLogin(), "login-kept");
    EXPECT_EQ(window_.GetControlText(IDC_URL), "http://127.0.0.1:5232/");
    bool dirty = true;
    ASSERT_EQ(page_->get_Dirty(&dirty), S_OK);
    EXPECT_FALSE(dirty);
}

TEST_F(OptionsFrontEnd, AnIntervalNotInTheListIsRefusedWithTheChoices) {
    PageEdits edits;
    edits.calendar_interval = "7";
    std::string error;
    EXPECT_FALSE(ApplyPageEdits(*presenter_, window_, edits, &error));
    EXPECT_EQ(error, "no interval 7 (one of: Off, 5, 10, 15, 30, 60)");
    EXPECT_EQ(window_.ComboSelectionText(IDC_CALENDAR_INTERVAL), "10");
}

TEST_F(OptionsFrontEnd, ApplyBeforeThePageWasShownIsRefused) {
    platform::ComPtr<CZelPropPageControl> fresh;
    fresh.Attach(new CZelPropPageControl([](const std::string&, const std::string&, const std::string&) {}));
    EXPECT_EQ(fresh->Apply(), E_UNEXPECTED);
    EXPECT_EQ(fresh->get_Dirty(nullptr), E_POINTER);
}

TEST_F(OptionsFrontEnd, TheFirstRunDialogWithoutTerminalOrAnswerIsCancelledAndSavesNothing) {
    TerminalDialogService dialogs(PageEdits{}, "");
    CFirstRunDlg dialog([](const std::string&, const std::string&, const std::string&) {});
    EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
    PageEdits edits;
    edits.url = "http://127.0.0.1:1/";
    TerminalDialogService scripted(edits, "");
    EXPECT_EQ(dialog.DoModal(), platform::IDOK);
    CSettingsManager settings;
    settings.Create();
    EXPECT_EQ(settings.GetUrl(), "http://127.0.0.1:1/");
}

}  // namespace
}  // namespace shell_test
