// Answers real servers will not give on demand, from the scripted server with the scenarios in
// tests/data/dav/. Each scenario also pins the exact requests the client sends.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <cstdlib>

#include "dav/dav_server.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "support/dav_servers.h"
#include "support/scripted_http_server.h"

namespace {

using testing_support::kDavPassword;
using testing_support::kDavUser;

class ScriptedStatus : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = platform::GetHttpTimeouts();
        platform::SetHttpTimeouts(platform::HttpTimeouts{5, 2, 30});
    }
    void TearDown() override { platform::SetHttpTimeouts(saved_); }

    // Starts the scenario; the test fails (or skips, outside CI) when the server cannot run.
    bool Start(const std::string& scenario) {
        std::string error;
        if (scripted_.Start(scenario, &error))
            return true;
        if (testing_support::AreServersRequired())
            ADD_FAILURE() << error;
        return false;
    }

    CDavServer Server() const { return CDavServer(scripted_.url() + "/", kDavUser, kDavPassword); }

    // The code the principal request ends with, 0 when it succeeds.
    std::uint32_t PrincipalCode(std::string* message = nullptr, FailureKind* kind = nullptr) {
        CDavServer dav = Server();
        try {
            (void)dav.GetCurrentUserPrincipal();
        } catch (CAddinException& error) {
            if (message != nullptr)
                *message = error.GetMessage();
            if (kind != nullptr)
                *kind = error.GetKind();
            return error.GetCode();
        }
        return 0;
    }

    testing_support::ScriptedHttpServer scripted_;
    platform::HttpTimeouts saved_;
};

TEST_F(ScriptedStatus, PrincipalStatusesMapToCodesAndKinds) {
    struct Row {
        const char* scenario;
        std::uint32_t code;
        FailureKind kind;
        const char* message;
    };
    const Row rows[] = {
        {"principal-200.txt", kErrorBadStatus, FailureKind::kBadStatus,
         "Bad response status. HTTP error code: 200"},
        {"principal-redirect-301.txt", kErrorBadStatus, FailureKind::kBadStatus,
         "Bad response status. HTTP error code: 301"},
        {"principal-403.txt", kErrorForbiddenOrNotFound, FailureKind::kForbidden,
         "The server returned 403/404 error."},
        {"principal-404.txt", kErrorForbiddenOrNotFound, FailureKind::kNotFound,
         "The server returned 403/404 error."},
        {"principal-405.txt", kErrorNotDavServer, FailureKind::kNotDav,
         "Unable to locate DAV server. Please verify your settings."},
        {"principal-410.txt", kErrorBadStatus, FailureKind::kGone,
         "Bad response status. HTTP error code: 410"},
        {"principal-500.txt", kErrorBadStatus, FailureKind::kBadStatus,
         "Bad response status. HTTP error code: 500"},
        {"principal-well-known.txt", 0, FailureKind::kNone, ""},
        {"principal-digest-401-twice.txt", kErrorLogonFailed, FailureKind::kAuth,
         "Failed to log in on the DAV server"},
        {"principal-close-mid-body.txt", kErrorNoConnection, FailureKind::kTransport,
         "No connection to the web server could be established (the server dropped the connection)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scenario);
        if (!Start(row.scenario))
            GTEST_SKIP() << "the scripted server cannot run";
        std::string message;
        FailureKind kind = FailureKind::kNone;
        EXPECT_EQ(PrincipalCode(&message, &kind), row.code);
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(kind, row.kind);
        EXPECT_EQ(scripted_.Result(), "done");
        scripted_.Stop();
    }
}

TEST_F(ScriptedStatus, BasicAfterChallengeThenAtOnce) {
    if (!Start("principal-basic-then-preemptive.txt"))
        GTEST_SKIP() << "the scripted server cannot run";
    CDavServer dav = Server();
    EXPECT_EQ(dav.GetCurrentUserPrincipal(), "/alice/");
    dav.ProcessRequest(DavRequest{"REPORT", "/alice/calendar/", "<r/>", {{"Depth", "1"}}});
    EXPECT_EQ(scripted_.Result(), "done");
}

TEST_F(ScriptedStatus, StallingServerFailsWithinTheTimeout) {
    if (!Start("principal-stall.txt"))
        GTEST_SKIP() << "the scripted server cannot run";
    const auto started = std::chrono::steady_clock::now();
    std::string message;
    FailureKind kind = FailureKind::kNone;
    EXPECT_EQ(PrincipalCode(&message, &kind), kErrorNoConnection);
    EXPECT_EQ(kind, FailureKind::kTimeout);
    EXPECT_NE(message.find("(time-out: the server did not answer in time)"), std::string::npos) << message;
    // The stall limit is 2 s here; the bound only proves the limit applies at all.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(scripted_.Result(), "done");
}

// Certificates are verified against the trusted store, which CURL_CA_BUNDLE replaces.
TEST_F(ScriptedStatus, UntrustedCertificateIsNoConnectionUntilTrusted) {
    std::string error;
    if (!scripted_.StartTls("principal-tls.txt", &error)) {
        if (testing_support::AreServersRequired())
            FAIL() << error;
        GTEST_SKIP() << error;
    }
    std::string message;
    EXPECT_EQ(PrincipalCode(&message), kErrorNoConnection);
    // curl's own words follow ("SSL peer certificate or SSH remote key was not OK").
    EXPECT_NE(message.find("(the server's certificate is not trusted or TLS failed: SSL"), std::string::npos)
        << message;

    const char* saved = std::getenv("CURL_CA_BUNDLE");
    const std::string saved_value = saved != nullptr ? saved : "";
    setenv("CURL_CA_BUNDLE", scripted_.certificate_path().c_str(), 1);
    CDavServer dav = Server();
    std::string principal;
    try {
        principal = dav.GetCurrentUserPrincipal();
    } catch (CAddinException& failure) {
        ADD_FAILURE() << failure.GetCode() << " " << failure.GetMessage();
    }
    if (saved != nullptr)
        setenv("CURL_CA_BUNDLE", saved_value.c_str(), 1);
    else
        unsetenv("CURL_CA_BUNDLE");
    EXPECT_EQ(principal, "/tls/");
    EXPECT_EQ(scripted_.Result(), "done");
}

}  // namespace
