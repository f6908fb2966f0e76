#include "settings/log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <regex>

#include "settings/settings_manager.h"
#include "support/temp_home.h"

namespace {

class LogFile : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(home_.app_data() + "/Velmarquin"); }
    void TearDown() override {
        SetLogEnabled(false);
        SwitchLogToDefaultFile();
    }
    std::string Folder() const { return home_.app_data() + "/Velmarquin/HarrowgateAddin/Logs"; }
    std::string Read(const std::string& name) const {
        return testing_support::ReadFileOrEmpty(Folder() + "/" + name);
    }

    testing_support::TempHome home_;
};

TEST_F(LogFile, DisabledLogCreatesNothingAndInitLogFollowsTheEnableLogSetting) {
    InitLog();
    EXPECT_FALSE(IsLogEnabled());
    Log("nothing %d", 1);
    EXPECT_FALSE(std::filesystem::exists(home_.app_data() + "/Velmarquin/HarrowgateAddin"));
    CSettingsManager settings;
    settings.SetEnableLog(true);
    settings.Save();
    InitLog();
    EXPECT_TRUE(IsLogEnabled());
}

TEST_F(LogFile, LineHasTimeStampPrefixAndCrLf) {
    SetLogEnabled(true);
    Log("CWebClient::SendXml: Unable to send request. HRESULT: %d.", -5);
    const std::regex line(
        R"(\[\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\] - CWebClient::SendXml: Unable to send request\. HRESULT: -5\.\r\n)");
    EXPECT_TRUE(std::regex_match(Read("addin.log"), line)) << Read("addin.log");
}

TEST_F(LogFile, RunFileIsNamedByTheLocalStartTimeThenBackToDefault) {
    SetLogEnabled(true);
    Log("before the run");
    SwitchLogToRunFile();
    const std::string name = CurrentLogFileName();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(addin-\d{8}T\d{6}Z\.log)"))) << name;
    Log("during the run");
    SwitchLogToDefaultFile();
    Log("after the run");
    EXPECT_NE(Read(name).find("during the run"), std::string::npos);
    // The default file is appended to, never truncated.
    const std::string text = Read("addin.log");
    EXPECT_LT(text.find("before the run\r\n"), text.find("after the run\r\n"));
}

TEST_F(LogFile, LinesAreLostUntilTheMakerFolderExists) {
    SetLogEnabled(true);
    std::filesystem::remove_all(home_.app_data());
    std::filesystem::create_directories(home_.app_data());
    Log("lost");
    EXPECT_FALSE(std::filesystem::exists(home_.app_data() + "/Velmarquin/HarrowgateAddin"));
    std::filesystem::create_directories(home_.app_data() + "/Velmarquin");
    Log("kept");
    EXPECT_NE(Read("addin.log").find("kept"), std::string::npos);
    EXPECT_EQ(Read("addin.log").find("lost"), std::string::npos);
}

TEST_F(LogFile, WithoutAppDataLinesGoToTheVelsyncHome) {
    SetLogEnabled(true);
    setenv("APPDATA", "", 1);
    Log("no appdata");
    EXPECT_NE(testing_support::ReadFileOrEmpty(home_.root() + "/home/addin.log").find("no appdata"),
              std::string::npos);
}

TEST_F(LogFile, LongLinesAreCutAt262143Characters) {
    SetLogEnabled(true);
    const std::string huge(300000, 'x');
    Log("%s", huge.c_str());
    const std::string text = Read("addin.log");
    const std::size_t start = text.find("] - ") + 4;
    EXPECT_EQ(text.size() - start - 2, 262143u);
}

}  // namespace
