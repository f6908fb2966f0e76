#include "ui/zel_prop_page.h"

#include <gtest/gtest.h>

#include "settings/settings_manager.h"
#include "support/scripted_dialog_window.h"
#include "support/temp_home.h"
#include "ui/dialog_ids.h"

namespace {

using testing_support::ScriptedDialogWindow;

class OptionsPage : public ::testing::Test {
  protected:
    void Store(std::uint32_t flag) {
        CSettingsManager settings;
        settings.SetUrl("http://dav.example/");
        settings.SetEmail("alice@example.org");
        settings.SetPassword(" pw ");
        settings.SetSyncFlag(flag);
        settings.Save();
    }
    static CSettingsManager Stored() {
        CSettingsManager settings;
        settings.Create();
        return settings;
    }

    testing_support::TempHome home_;
    CZelPropPage page_;
    ScriptedDialogWindow window_;
    int status_changes_ = 0;
};

TEST_F(OptionsPage, FillShowsTheStoredSettingsAndVersion) {
    Store(0x209);
    page_.OnInitDialog(window_);
    EXPECT_EQ(window_.GetControlText(IDC_URL), "http://dav.example/");
    EXPECT_EQ(window_.GetControlText(IDC_EMAIL), "alice@example.org");
    EXPECT_EQ(window_.GetControlText(IDC_PASSWORD), " pw ");
    EXPECT_TRUE(window_.IsChecked(IDC_SYNC_CALENDAR));
    EXPECT_FALSE(window_.IsChecked(IDC_SYNC_CONTACTS));
    EXPECT_EQ(window_.SelectedText(IDC_CALENDAR_INTERVAL), "5");
    EXPECT_EQ(window_.SelectedText(IDC_CONTACT_INTERVAL), "1");
    EXPECT_EQ(window_.controls[IDC_CALENDAR_INTERVAL].items.size(), 6u);
    EXPECT_EQ(window_.controls[IDC_CONTACT_INTERVAL].items.size(), 5u);
    EXPECT_EQ(window_.GetControlText(IDC_VERSION).rfind("Velmarquin Sync Add-in for Outlook\r\nVersion ", 0),
              0u);
    EXPECT_FALSE(page_.Dirty());
}

TEST_F(OptionsPage, SeveralIntervalBitsSelectNothing) {
    Store(0x1C83);  // contact bits 0x400|0x800|0x1000 match no single item
    page_.OnInitDialog(window_);
    EXPECT_EQ(window_.SelectedText(IDC_CONTACT_INTERVAL), "");
    EXPECT_EQ(window_.SelectedText(IDC_CALENDAR_INTERVAL), "60");
}

TEST_F(OptionsPage, UserChangesMarkDirtyAndNotifyTheSite) {
    Store(0x123);
    page_.SetStatusChangeListener([this] { ++status_changes_; });
    page_.OnInitDialog(window_);
    page_.OnCommand(window_, IDC_URL, platform::BN_CLICKED);  // not a change notification
    EXPECT_FALSE(page_.Dirty());
    page_.OnCommand(window_, IDC_EMAIL, platform::EN_CHANGE);
    EXPECT_TRUE(page_.Dirty());
    EXPECT_EQ(status_changes_, 1);
    page_.OnCommand(window_, IDC_CALENDAR_INTERVAL, platform::CBN_SELCHANGE);
    EXPECT_EQ(status_changes_, 2);
}

TEST_F(OptionsPage, UncheckingContactsDisablesItsListAndApplyKeepsTheIntervalBits) {
    Store(0x20B);
    page_.OnInitDialog(window_);
    window_.SetChecked(IDC_SYNC_CONTACTS, false);
    page_.OnCommand(window_, IDC_SYNC_CONTACTS, platform::BN_CLICKED);
    EXPECT_FALSE(window_.IsEnabled(IDC_CONTACT_INTERVAL));
    EXPECT_TRUE(page_.Dirty());
    page_.Apply(window_);
    EXPECT_FALSE(page_.Dirty());
    EXPECT_EQ(Stored().GetSyncFlag(), 0x209u);
    window_.SetChecked(IDC_SYNC_CONTACTS, true);
    page_.OnCommand(window_, IDC_SYNC_CONTACTS, platform::BN_CLICKED);
    EXPECT_TRUE(window_.IsEnabled(IDC_CONTACT_INTERVAL));
}

}  // namespace
