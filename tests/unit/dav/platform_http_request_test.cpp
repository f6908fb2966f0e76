#include <gtest/gtest.h>

#include "platform/http_request.h"
#include "support/dav_servers.h"

namespace {

std::unique_ptr<platform::HttpRequest> NewRequest() {
    std::unique_ptr<platform::HttpRequest> request;
    EXPECT_EQ(platform::CreateHttpRequest(&request), S_OK);
    return request;
}

TEST(HttpRequest, OpenRefusesWhatItCannotSend) {
    auto request = NewRequest();
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->Open("", "http://127.0.0.1/", "", ""), E_INVALIDARG);
    EXPECT_EQ(request->Open("PROPFIND", "127.0.0.1/dav/", "", ""), E_INVALIDARG);
    EXPECT_EQ(request->Open("PROPFIND", "file:///etc/passwd", "", ""), E_INVALIDARG);
    EXPECT_EQ(request->Open("PROPFIND", "ftp://127.0.0.1/", "", ""), E_INVALIDARG);
    EXPECT_EQ(request->Open("PROPFIND", "HTTPS://127.0.0.1/", "", ""), S_OK);
}

TEST(HttpRequest, CallsOutOfOrderFail) {
    auto request = NewRequest();
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->SetRequestHeader("Depth", "0"), platform::kHttpErrorNotOpened);
    EXPECT_EQ(request->Send(""), platform::kHttpErrorNotOpened);
    std::string body = "kept";
    EXPECT_EQ(request->GetResponseBody(&body), platform::kHttpErrorNotOpened);
    EXPECT_EQ(body, "kept");
    EXPECT_EQ(request->Status(), 0);
}

TEST(HttpRequest, HeadersThatWouldSplitTheRequestAreRefused) {
    auto request = NewRequest();
    ASSERT_NE(request, nullptr);
    ASSERT_EQ(request->Open("PUT", "http://127.0.0.1/", "", ""), S_OK);
    EXPECT_EQ(request->SetRequestHeader("X-Test", "a\r\nInjected: yes"), E_INVALIDARG);
    EXPECT_EQ(request->SetRequestHeader("X-Test\nInjected", "a"), E_INVALIDARG);
    EXPECT_EQ(request->SetRequestHeader("Bad:Name", "a"), E_INVALIDARG);
    EXPECT_EQ(request->SetRequestHeader("", "a"), E_INVALIDARG);
    EXPECT_EQ(request->SetRequestHeader("If-Match", ""), S_OK);
}

TEST(HttpRequest, RefusedConnectionAndUnknownHostFailWithoutStatus) {
    const int port = testing_support::UnusedLocalPort();
    ASSERT_NE(port, 0);
    auto request = NewRequest();
    ASSERT_NE(request, nullptr);
    ASSERT_EQ(request->Open("PROPFIND", "http://127.0.0.1:" + std::to_string(port) + "/", "u", "p"), S_OK);
    EXPECT_EQ(request->Send("<x/>"), platform::kHttpErrorCannotConnect);
    EXPECT_EQ(request->Status(), 0);
    EXPECT_EQ(request->TransportCode(), 7);  // CURLE_COULDNT_CONNECT
    EXPECT_EQ(request->GetResponseHeader("WWW-Authenticate"), "");
    // .invalid never resolves (RFC 6761).
    ASSERT_EQ(request->Open("PROPFIND", "http://no-such-host.invalid/", "u", "p"), S_OK);
    EXPECT_EQ(request->Send(""), platform::kHttpErrorNameNotResolved);
    EXPECT_EQ(request->Status(), 0);
}

}  // namespace
