#include "settings/settings_manager.h"

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "support/data_rows.h"
#include "support/logging_home.h"

namespace {

using platform::RegistryKey;
using platform::RootKey;

class SettingsStore : public ::testing::Test {
  protected:
    std::unique_ptr<RegistryKey> SettingsKey() {
        std::unique_ptr<RegistryKey> key;
        EXPECT_EQ(RegistryKey::Create(RootKey::CurrentUser, kSettingsKeyPath, &key), ERROR_SUCCESS);
        return key;
    }
    CSettingsManager Load() {
        CSettingsManager settings;
        settings.Create();
        return settings;
    }

    testing_support::LoggingHome home_;
};

TEST_F(SettingsStore, NoKeyGivesDefaultsAndSaveCreatesIt) {
    const CSettingsManager settings = Load();
    EXPECT_EQ(settings.GetUrl(), "");
    EXPECT_EQ(settings.GetEmail(), "");
    EXPECT_EQ(settings.GetLogin(), "");
    EXPECT_EQ(settings.GetPassword(), "");
    EXPECT_EQ(settings.GetSyncFlag(), 0x123u);
    EXPECT_FALSE(settings.GetEnableLog());
    EXPECT_TRUE(settings.GetShowStatsDialog());

    CSettingsManager edited;
    edited.SetUrl("http://127.0.0.1:5232/");
    edited.SetEmail("alice");
    edited.SetLogin("alice-login");
    edited.SetSyncFlag(0x20A);
    edited.SetEnableLog(true);
    edited.SetShowStatsDialog(false);
    edited.Save();

    const CSettingsManager reloaded = Load();
    EXPECT_EQ(reloaded.GetUrl(), "http://127.0.0.1:5232/");
    EXPECT_EQ(reloaded.GetEmail(), "alice");
    EXPECT_EQ(reloaded.GetLogin(), "alice-login");
    EXPECT_EQ(reloaded.GetSyncFlag(), 0x20Au);
    EXPECT_TRUE(reloaded.GetEnableLog());
    EXPECT_FALSE(reloaded.GetShowStatsDialog());
}

TEST_F(SettingsStore, SyncFlagIntervalBitsAreRepairedKindsKept) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/settings/sync-flag-rows.txt", 3)) {
        SCOPED_TRACE(row[0]);
        auto key = SettingsKey();
        ASSERT_EQ(platform::SetDwordValue(*key, "SyncFlag", std::stoul(row[1], nullptr, 16)), ERROR_SUCCESS);
        EXPECT_EQ(Load().GetSyncFlag(), std::stoul(row[2], nullptr, 16));
    }
}

TEST_F(SettingsStore, WrongTypeKeepsDefaultAndLogsResult13) {
    auto key = SettingsKey();
    ASSERT_EQ(platform::SetDwordValue(*key, "Url", 7), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetStringValue(*key, "SyncFlag", "3"), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetStringValue(*key, "Email", "bob"), ERROR_SUCCESS);
    const CSettingsManager settings = Load();
    EXPECT_EQ(settings.GetUrl(), "");
    EXPECT_EQ(settings.GetEmail(), "bob");  // later values are still read
    EXPECT_EQ(settings.GetSyncFlag(), 0x123u);
    EXPECT_NE(home_.LogText().find("CSettingsManager::Create: Unable to read 'Url' value. Result: 13\r\n"),
              std::string::npos);
}

TEST_F(SettingsStore, StringsUpTo1023CharactersFitTheBuffer) {
    auto key = SettingsKey();
    ASSERT_EQ(platform::SetStringValue(*key, "Url", std::string(1023, 'u')), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetStringValue(*key, "Email", std::string(1024, 'e')), ERROR_SUCCESS);
    // Characters are counted in UTF-16: 1023 two-byte UTF-8 characters still fit.
    std::string wide;
    for (int i = 0; i < 1023; ++i)
        wide += "\xC3\xA9";
    ASSERT_EQ(platform::SetStringValue(*key, "Login", wide), ERROR_SUCCESS);
    const CSettingsManager settings = Load();
    EXPECT_EQ(settings.GetUrl(), std::string(1023, 'u'));
    EXPECT_EQ(settings.GetEmail(), "");
    EXPECT_EQ(settings.GetLogin(), wide);
}

TEST_F(SettingsStore, SwitchesReadAnyNonZeroAsTrueAndSaveAsOne) {
    auto key = SettingsKey();
    ASSERT_EQ(platform::SetDwordValue(*key, "EnableLog", 7), ERROR_SUCCESS);
    ASSERT_EQ(platform::SetDwordValue(*key, "ShowStatsDialog", 0), ERROR_SUCCESS);
    CSettingsManager settings = Load();
    EXPECT_TRUE(settings.GetEnableLog());
    EXPECT_FALSE(settings.GetShowStatsDialog());
    settings.Save();
    DWORD stored = 0;
    ASSERT_EQ(platform::QueryDwordValue(*key, "EnableLog", &stored), ERROR_SUCCESS);
    EXPECT_EQ(stored, 1u);
}

TEST_F(SettingsStore, PasswordIsStoredAsFixedLengthLowercaseHex) {
    CSettingsManager settings;
    settings.SetPassword("abcdefgh");
    settings.Save();
    auto key = SettingsKey();
    std::string stored;
    ASSERT_EQ(platform::QueryStringValue(*key, "Password", 2048, &stored), ERROR_SUCCESS);
    EXPECT_EQ(stored.size(), 16u);
    EXPECT_EQ(stored.find_first_not_of("0123456789abcdef"), std::string::npos);

    settings.Save();
    std::string again;
    ASSERT_EQ(platform::QueryStringValue(*key, "Password", 2048, &again), ERROR_SUCCESS);
    EXPECT_EQ(again, stored);
    settings.SetPassword("pässwörd€");
    settings.Save();
    EXPECT_EQ(Load().GetPassword(), "pässwörd€");
}

TEST_F(SettingsStore, HandEditedPasswordReadsAsEmpty) {
    ASSERT_EQ(platform::SetStringValue(*SettingsKey(), "Password", "zz11"), ERROR_SUCCESS);
    EXPECT_EQ(Load().GetPassword(), "");
}

TEST(Intervals, TicksPerKind) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/settings/interval-rows.txt", 3)) {
        SCOPED_TRACE("flag " + row[0] + " kind " + row[1]);
        CSettingsManager settings;
        settings.SetSyncFlag(std::stoul(row[0], nullptr, 16));
        EXPECT_EQ(settings.GetInterval(std::stoul(row[1])), std::stoi(row[2]));
    }
}

}  // namespace
