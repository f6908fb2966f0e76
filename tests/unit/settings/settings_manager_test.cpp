#include "settings/settings_manager.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry.h"
#include "settings/log.h"
#include "support/temp_home.h"

namespace {

using platform::RegistryKey;
using platform::RootKey;

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        // The log writes only once the maker folder exists (the index creates it at first use).
        std::filesystem::create_directories(home_.app_data() + "/Velmarquin");
        SetLogEnabled(true);
    }
    void TearDown() override { SetLogEnabled(false); }

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
    std::string LogText() {
        return testing_support::ReadFileOrEmpty(home_.app_data() +
                                                "/Velmarquin/HarrowgateAddin/Logs/addin.log");
    }

    testing_support::TempHome home_;
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
    struct Row {
        const char* name;
        DWORD stored;
        std::uint32_t loaded;
    };
    for (const Row& row : {Row{"no intervals", 0x3, 0x123}, Row{"interval without kinds", 0x10, 0x110},
                           Row{"contact interval only", 0x801, 0x821},
                           Row{"calendar interval only", 0x42, 0x142}, Row{"nothing", 0x0, 0x120}}) {
        SCOPED_TRACE(row.name);
        auto key = SettingsKey();
        ASSERT_EQ(platform::SetDwordValue(*key, "SyncFlag", row.stored), ERROR_SUCCESS);
        EXPECT_EQ(Load().GetSyncFlag(), row.loaded);
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
    EXPECT_NE(LogText().find("CSettingsManager::Create: Unable to read 'Url' value. Result: 13\r\n"),
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
    struct Row {
        std::uint32_t flag;
        std::uint32_t kind;
        std::int32_t ticks;
    };
    // Manual, the shortest and longest interval, two bits at once, both kinds, unknown kinds.
    for (const Row& row : {Row{0x04, 1, -1}, Row{0x08, 1, 5}, Row{0x80, 1, 60}, Row{0x18, 1, -1},
                           Row{0x100, 2, -1}, Row{0x200, 2, 60}, Row{0x1000, 2, 1440}, Row{0x1C01, 2, -1},
                           Row{0x208, 3, 5}, Row{0x208, 4, -1}, Row{0x208, 0, -1}}) {
        SCOPED_TRACE(::testing::Message() << std::hex << "flag 0x" << row.flag << " kind " << row.kind);
        CSettingsManager settings;
        settings.SetSyncFlag(row.flag);
        EXPECT_EQ(settings.GetInterval(row.kind), row.ticks);
    }
}

}  // namespace
