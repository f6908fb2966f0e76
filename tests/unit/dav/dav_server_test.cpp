#include "dav/dav_server.h"

#include <gtest/gtest.h>

#include "fake_http_request.h"
#include "settings/addin_exception.h"
#include "support/data_rows.h"

namespace {

using dav_test::FakeAnswer;
using dav_test::FakeServer;
using Headers = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kPrincipalBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\" xmlns:C=\"DAV:\"><D:prop>"
    "<C:current-user-principal/></D:prop></D:propfind>";

std::string PrincipalAnswer(const std::string& href) {
    return "<multistatus xmlns=\"DAV:\"><response><href>/</href><propstat><prop><current-user-principal>" +
           (href.empty() ? std::string() : "<href>" + href + "</href>") +
           "</current-user-principal></prop></propstat></response></multistatus>";
}

class DavServer : public ::testing::Test {
  protected:
    CDavServer Server(const std::string& url) {
        return CDavServer(url, "alice", "secret", dav_test::FactoryFor(fake_));
    }
    std::shared_ptr<FakeServer> fake_ = std::make_shared<FakeServer>();
};

TEST_F(DavServer, BuildRequestUrlJoinsServerPathAndRequestPath) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/request-url-rows.txt", 3)) {
        SCOPED_TRACE(row[0] + " + " + row[1]);
        EXPECT_EQ(Server(row[0]).BuildRequestUrl(row[1]), row[2]);
    }
    const std::string segment(600, 'a');
    EXPECT_EQ(Server("http://h/dav/").BuildRequestUrl("/" + segment + "/"), "http://h/dav/" + segment + "/");
}

TEST_F(DavServer, PrincipalRequestIsExactAndCached) {
    fake_->answers = {FakeAnswer{S_OK, 207, {}, PrincipalAnswer("/alice/"), S_OK}};
    CDavServer server = Server("http://127.0.0.1:5232/dav/");
    EXPECT_EQ(server.GetCurrentUserPrincipal(), "/alice/");
    EXPECT_EQ(server.GetCurrentUserPrincipal(), "/alice/");
    ASSERT_EQ(fake_->sent.size(), 1u);
    const dav_test::SentRequest& sent = fake_->sent[0];
    EXPECT_EQ(sent.method, "PROPFIND");
    EXPECT_EQ(sent.url, "http://127.0.0.1:5232/dav");
    EXPECT_EQ(sent.body, kPrincipalBody);
    const Headers expected = {{"User-Agent", "Velmarquin Harrowgate/1.0"},
                              {"Depth", "0"},
                              {"Content-Type", "application/xml; charset=utf-8"}};
    EXPECT_EQ(sent.headers, expected);
}

TEST_F(DavServer, PrincipalMissingIsAskedAgain) {
    fake_->answers = {FakeAnswer{S_OK, 207, {}, PrincipalAnswer(""), S_OK},
                      FakeAnswer{S_OK, 207, {}, "not xml", S_OK},
                      FakeAnswer{S_OK, 207, {}, PrincipalAnswer("/p/"), S_OK}};
    CDavServer server = Server("http://h/");
    EXPECT_EQ(server.GetCurrentUserPrincipal(), "");
    EXPECT_EQ(server.GetCurrentUserPrincipal(), "");
    EXPECT_EQ(server.GetCurrentUserPrincipal(), "/p/");
    EXPECT_EQ(fake_->sent.size(), 3u);
}

// "name: value" headers, one a line.
Headers HeadersOf(const std::string& text) {
    Headers headers;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        const std::size_t colon = text.find(": ", start);
        headers.emplace_back(text.substr(start, colon - start), text.substr(colon + 2, end - colon - 2));
    }
    return headers;
}

TEST_F(DavServer, ContentTypeFollowsTheBodyUnlessGiven) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/content-type-rows.txt", 4)) {
        SCOPED_TRACE(row[0]);
        fake_->sent.clear();
        fake_->answers = {FakeAnswer{S_OK, 201, {}, "", S_OK}};
        Server("http://h/").ProcessRequest(DavRequest{"PUT", "/a/b.ics", row[1], HeadersOf(row[2])});
        ASSERT_EQ(fake_->sent.size(), 1u);
        EXPECT_EQ(fake_->sent[0].headers, HeadersOf("User-Agent: Velmarquin Harrowgate/1.0\n" + row[3]));
        EXPECT_EQ(fake_->sent[0].body, row[1]);
        EXPECT_EQ(fake_->sent[0].url, "http://h/a/b.ics");
    }
}

TEST_F(DavServer, InvalidUtf8IsReplacedBothWays) {
    fake_->answers = {FakeAnswer{S_OK, 207, {}, "ok \xC0\xAF end", S_OK},
                      FakeAnswer{S_OK, 201, {}, "", S_OK}};
    EXPECT_EQ(Server("http://h/").ProcessRequest("REPORT", "/c/", "<r/>"), "ok \xEF\xBF\xBD\xEF\xBF\xBD end");
    Server("http://h/").ProcessRequest("PUT", "/c/x.vcf", "BEGIN:VCARD\r\nFN:\xFF\r\n");
    ASSERT_EQ(fake_->sent.size(), 2u);
    EXPECT_EQ(fake_->sent[1].body, "BEGIN:VCARD\r\nFN:\xEF\xBF\xBD\r\n");
}

// After the first Digest answer, each request carries one at once with the known nonce and the next nc;
// a stale nonce is answered and learnt; no challenge without qop and no other origin is answered unasked.
TEST_F(DavServer, DigestAnswersAtOnceWithTheKnownNonceAndACountingNc) {
    const auto challenge = [](const std::string& nonce, const std::string& extra) {
        return Headers{{"WWW-Authenticate", "Digest realm=\"dav\", nonce=\"" + nonce + "\"" + extra}};
    };
    const Headers first = challenge("n1", ", algorithm=MD5, qop=\"auth\"");
    const Headers stale = challenge("n2", ", algorithm=MD5, stale=true, qop=\"auth\"");
    fake_->answers = {
        FakeAnswer{S_OK, 401, first, "", S_OK}, FakeAnswer{S_OK, 207, {}, "", S_OK},
        FakeAnswer{S_OK, 207, {}, "", S_OK},    FakeAnswer{S_OK, 401, stale, "", S_OK},
        FakeAnswer{S_OK, 207, {}, "", S_OK},    FakeAnswer{S_OK, 207, {}, "", S_OK},
        FakeAnswer{S_OK, 207, {}, "", S_OK},    FakeAnswer{S_OK, 401, challenge("n3", ""), "", S_OK},
        FakeAnswer{S_OK, 207, {}, "", S_OK},    FakeAnswer{S_OK, 207, {}, "", S_OK}};
    CDavServer server = Server("http://h:8090/");
    for (const char* url : {"/a/", "/b/", "/c/", "/d/", "http://other.example:8090/e/", "/f/", "/g/"})
        server.ProcessRequest("PROPFIND", url, "<x/>");
    // Per send: the nonce and nc of its Authorization, "-" for none.
    const char* expected[] = {"-",           "n1 00000001", "n1 00000002", "n1 00000003", "n2 00000001",
                              "n2 00000002", "-",           "n2 00000003", "n3 -",        "-"};
    ASSERT_EQ(fake_->sent.size(), std::size(expected));
    for (std::size_t i = 0; i < fake_->sent.size(); ++i) {
        SCOPED_TRACE(fake_->sent[i].url);
        std::string seen = "-";
        for (const auto& [name, value] : fake_->sent[i].headers) {
            if (name != "Authorization")
                continue;
            const std::size_t nonce = value.find("nonce=\"") + 7;
            const std::size_t nc = value.find("nc=");
            seen = value.substr(nonce, value.find('"', nonce) - nonce) + " " +
                   (nc == std::string::npos ? "-" : value.substr(nc + 3, 8));
        }
        EXPECT_EQ(seen, expected[i]);
    }
}

}  // namespace
