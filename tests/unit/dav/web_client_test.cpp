#include "dav/web_client.h"

#include <gtest/gtest.h>

#include <map>

#include "dav/batched_multiget.h"
#include "fake_http_request.h"
#include "settings/addin_exception.h"
#include "support/data_rows.h"
#include "support/logging_home.h"

namespace {

using dav_test::FakeAnswer;
using dav_test::FakeServer;
using Headers = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kApacheChallenge =
    "Digest realm=\"dav\", nonce=\"cVW/qPNhBgA=54939e561c1cfc3d932b6b506b019cde936476e5\", algorithm=MD5, "
    "qop=\"auth\"";

class WebClient : public ::testing::Test {
  protected:
    // Open + SetUserAgent + Depth, then SendXml; returns the status or throws.
    int Exchange(const std::string& method, std::string* response = nullptr,
                 const std::string& body = "<x/>") {
        CWebClient client(dav_test::FactoryFor(server_));
        client.Open(method, "http://dav.example/dav/", "u", "p");
        client.SetUserAgent();
        client.AddHeader("Depth", "1");
        std::string ignored;
        return client.SendXml(body, response != nullptr ? response : &ignored);
    }

    // The code of the CAddinException an exchange ends with (0 when it succeeds).
    std::uint32_t ThrownCode(const std::string& method, std::string* message = nullptr,
                             TransportFailure* failure = nullptr) {
        try {
            (void)Exchange(method);
        } catch (CAddinException& error) {
            if (message != nullptr)
                *message = error.GetMessage();
            if (failure != nullptr)
                *failure = error.GetTransport();
            return error.GetCode();
        }
        return 0;
    }

    testing_support::LoggingHome home_;
    std::shared_ptr<FakeServer> server_ = std::make_shared<FakeServer>();
};

TEST_F(WebClient, SchemeRuleIsCaseSensitive) {
    struct Row {
        const char* name;
        const char* url;
        const char* opened;
    };
    const Row rows[] = {
        {"no scheme", "dav.example/dav/", "http://dav.example/dav/"},
        {"http", "http://dav.example/", "http://dav.example/"},
        {"https", "https://dav.example/", "https://dav.example/"},
        {"capital scheme", "HTTPS://dav.example/", "http://HTTPS://dav.example/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CWebClient client(dav_test::FactoryFor(server_));
        client.Open("PROPFIND", row.url, "u", "p");
        EXPECT_EQ(client.GetUrl(), row.opened);
        EXPECT_EQ(server_->opened_urls.back(), row.opened);
    }
}

TEST_F(WebClient, StatusesMapToCodesAndKinds) {
    // In the order of FailureKind.
    const std::vector<std::string> kinds = {"none",     "forbidden", "not found", "gone",
                                            "conflict", "auth",      "not dav",   "bad status",
                                            "timeout",  "transport", "unreadable"};
    const std::map<std::string, HRESULT> sends = {{"sent", S_OK},
                                                  {"timeout", platform::kHttpErrorTimeout},
                                                  {"refused", platform::kHttpErrorCannotConnect}};
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/status-rows.txt", 6)) {
        SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2]);
        const HRESULT send = sends.at(row[1]);
        server_->answers = {FakeAnswer{send, std::stoi(row[2]), {}, "", S_OK}};
        TransportFailure failure;
        EXPECT_EQ(ThrownCode(row[0], nullptr, &failure), std::stoul(row[3]));
        EXPECT_EQ(kinds.at(static_cast<std::size_t>(failure.kind)), row[4]);
        EXPECT_EQ(failure.http_status, row[4] == "none" ? 0 : std::stoi(row[2]));
        EXPECT_EQ(failure.transport_code, FAILED(send) ? 7 : 0);
        const CAddinException error(std::stoul(row[3]), "", failure);
        EXPECT_EQ(CanReadOneByOne(&error), row[5] == "yes");
    }
}

TEST_F(WebClient, WinInetNoContentIsSuccessWith204) {
    server_->answers = {FakeAnswer{S_OK, 1223, {}, "", S_OK}};
    EXPECT_EQ(Exchange("DELETE"), 204);
    server_->answers = {FakeAnswer{E_FAIL, 1223, {}, "", S_OK}};
    EXPECT_EQ(Exchange("DELETE"), 204);
}

TEST_F(WebClient, DigestRetryAddsAuthorizationAfterTheOtherHeaders) {
    server_->answers = {FakeAnswer{S_OK, 401, {{"WWW-Authenticate", kApacheChallenge}}, "", S_OK},
                        FakeAnswer{S_OK, 207, {}, "<ok/>", S_OK}};
    std::string response;
    EXPECT_EQ(Exchange("PROPFIND", &response), 207);
    EXPECT_EQ(response, "<ok/>");
    ASSERT_EQ(server_->sent.size(), 2u);
    const Headers& second = server_->sent[1].headers;
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[0].first, "User-Agent");
    EXPECT_EQ(second[1].first, "Depth");
    EXPECT_EQ(second[2].first, "Authorization");
    EXPECT_EQ(second[2].second.rfind("Digest username=\"u\", realm=\"dav\", nonce=\"cVW/qPNhBgA=", 0), 0u);
    EXPECT_NE(second[2].second.find("uri=\"/dav/\", qop=auth, nc=00000001, cnonce=\""), std::string::npos);
    EXPECT_EQ(server_->sent[1].body, "<x/>");
}

TEST_F(WebClient, UnauthorizedTwiceIsLogonFailureWithOrWithoutABasicChallenge) {
    const Headers basic = {{"WWW-Authenticate", "Basic realm=\"Radicale - Password Required\""}};
    for (const Headers& challenge : {basic, Headers{}}) {
        SCOPED_TRACE(challenge.empty() ? "no challenge" : "basic");
        server_->sent.clear();
        server_->opened_urls.clear();
        server_->answers = {FakeAnswer{S_OK, 401, challenge, "", S_OK},
                            FakeAnswer{S_OK, 401, challenge, "", S_OK}};
        std::string message;
        EXPECT_EQ(ThrownCode("PROPFIND", &message), kErrorLogonFailed);
        EXPECT_EQ(message, "Failed to log in on the DAV server");
        ASSERT_EQ(server_->sent.size(), 2u);
        // Basic is answered with an empty Authorization (the request object sends the credentials).
        EXPECT_EQ(server_->sent[1].headers.size(), challenge.empty() ? 2u : 3u);
        EXPECT_EQ(server_->opened_urls.size(), challenge.empty() ? 1u : 2u);
    }
}

TEST_F(WebClient, SendWithoutOpenReturnsMinusOne) {
    CWebClient client(dav_test::FactoryFor(server_));
    std::string response = "kept";
    EXPECT_EQ(client.SendXml("<x/>", &response), -1);
    EXPECT_EQ(response, "kept");
    EXPECT_TRUE(server_->sent.empty());
}

TEST_F(WebClient, RequestObjectFailuresHaveTheirCodes) {
    server_->create_result = E_OUTOFMEMORY;
    EXPECT_EQ(ThrownCode("PROPFIND"), kErrorCreateRequest);
    EXPECT_NE(home_.LogText().find("CWebClient::SendXml: Unable to create XMLHTTPRequest object. HRESULT: " +
                                   std::to_string(E_OUTOFMEMORY) + "."),
              std::string::npos);
    server_->create_result = S_OK;
    server_->open_result = E_INVALIDARG;
    EXPECT_EQ(ThrownCode("PROPFIND"), kErrorOpenConnection);
    server_->open_result = S_OK;
    server_->header_result = E_INVALIDARG;
    EXPECT_EQ(ThrownCode("PROPFIND"), 302u);
    server_->header_result = S_OK;
    server_->answers = {FakeAnswer{S_OK, 207, {}, "", E_FAIL}};
    EXPECT_EQ(ThrownCode("PROPFIND"), kErrorNoResponse);
}

}  // namespace
