// The options page's Test Connection against real servers.
#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "support/dav_servers.h"
#include "support/scripted_dialog_window.h"
#include "support/temp_home.h"
#include "ui/dialog_ids.h"
#include "ui/zel_prop_page.h"

namespace {

using testing_support::DavServerKind;

class RecordingBoxes : public platform::MessageBoxService {
  public:
    int Show(const std::string& text, const std::string&, unsigned flags) override {
        texts.push_back(text);
        icons.push_back(flags);
        return platform::IDOK;
    }
    std::vector<std::string> texts;
    std::vector<unsigned> icons;
};

class TestConnection : public testing_support::DavServerTest {
  protected:
    void SetUp() override {
        DavServerTest::SetUp();
        platform::SetMessageBoxService(&boxes_);
    }
    void TearDown() override { platform::SetMessageBoxService(nullptr); }

    void Click(const std::string& url, const std::string& password) {
        page_.OnInitDialog(window_);
        window_.SetControlText(IDC_URL, url);
        window_.SetControlText(IDC_EMAIL, testing_support::kDavUser);
        window_.SetControlText(IDC_PASSWORD, password);
        page_.OnCommand(window_, IDC_TEST_CONNECTION, platform::BN_CLICKED);
    }

    testing_support::TempHome home_;
    RecordingBoxes boxes_;
    CZelPropPage page_;
    testing_support::ScriptedDialogWindow window_;
};

TEST_P(TestConnection, WrongPasswordFailsThenTheRightOneIsConfirmed) {
    Click(server().url(), "wrong");
    Click(server().url(), testing_support::kDavPassword);
    EXPECT_EQ(boxes_.texts, (std::vector<std::string>{"Failed to log in on the DAV server",
                                                      "Connection successful. Login/password valid."}));
    EXPECT_EQ(boxes_.icons, (std::vector<unsigned>{platform::MB_ICONERROR, platform::MB_ICONINFORMATION}));
    EXPECT_TRUE(window_.IsEnabled(IDC_TEST_CONNECTION));
    EXPECT_EQ(window_.GetControlText(IDC_TEST_CONNECTION), "Test Connection");
}

INSTANTIATE_TEST_SUITE_P(Servers, TestConnection, ::testing::Values(DavServerKind::kApacheDigest),
                         testing_support::NameOfDavServerKind);

TEST(TestConnectionOffline, ClosedPortShowsTheConnectionFailure) {
    testing_support::TempHome home;
    RecordingBoxes boxes;
    platform::SetMessageBoxService(&boxes);
    CZelPropPage page;
    testing_support::ScriptedDialogWindow window;
    page.OnInitDialog(window);
    window.SetControlText(IDC_URL,
                          "http://127.0.0.1:" + std::to_string(testing_support::UnusedLocalPort()) + "/");
    page.OnCommand(window, IDC_TEST_CONNECTION, platform::BN_CLICKED);
    platform::SetMessageBoxService(nullptr);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0],
              "No connection to the web server could be established (the server refused the connection or "
              "cannot be reached)");
}

}  // namespace
