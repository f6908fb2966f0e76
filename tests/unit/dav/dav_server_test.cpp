#include "dav/dav_server.h"

#include <gtest/gtest.h>

#include "fake_http_request.h"
#include "settings/addin_exception.h"

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
    struct Row {
        const char* server;
        const char* request;
        const char* expected;
    };
    const Row rows[] = {
        {"https://h/dav/", "/dav/calendars/u/", "https://h/dav/calendars/u/"},
        {"https://h:8443/", "", "https://h:8443"},
        {"https://h:443/dav", "", "https://h/dav"},
        {"http://h:80/", "/alice/", "http://h/alice/"},
        {"http://h", "/alice/", "http://h/alice/"},
        {"http://h/Dav/", "/dav/x/", "http://h/Dav/dav/x/"},
        {"http://h/dav/?a=b", "/x/", "http://h/dav/x/?a=b"},
        {"http://u:pw@h:8080/dav/", "/x/", "http://u:pw@h:8080/dav/x/"},
        {"http://h/p%20q/", "/r%40s/", "http://h/p%20q/r%40s/"},
        {"http://[::1]:8008/", "/a/", "http://[::1]:8008/a/"},
        {"h/dav/", "/x/", "http://h/dav/x/"},
        {"http://", "/x/", "/x/"},
        {"", "/x/", "/x/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.server) + " + " + row.request);
        EXPECT_EQ(Server(row.server).BuildRequestUrl(row.request), row.expected);
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

TEST_F(DavServer, ContentTypeFollowsTheBodyUnlessGiven) {
    struct Row {
        const char* name;
        std::string body;
        Headers extra;
        Headers expected_extra;
    };
    const Row rows[] = {
        {"xml", "<?xml version=\"1.0\"?><x/>", {}, {{"Content-Type", "application/xml; charset=utf-8"}}},
        {"xml after bom and space",
         "\xEF\xBB\xBF \r\n<x/>",
         {},
         {{"Content-Type", "application/xml; charset=utf-8"}}},
        {"icalendar",
         "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n",
         {{"If-None-Match", "*"}},
         {{"If-None-Match", "*"}, {"Content-Type", "text/calendar; charset=utf-8"}}},
        {"vcard lowercase",
         "begin:vcard\r\nend:vcard\r\n",
         {},
         {{"Content-Type", "text/vcard; charset=utf-8"}}},
        {"caller's type kept", "<x/>", {{"content-type", "text/xml"}}, {{"content-type", "text/xml"}}},
        {"empty body", "", {{"If-Match", "\"e\""}}, {{"If-Match", "\"e\""}}},
        {"other text", "hello", {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fake_->sent.clear();
        fake_->answers = {FakeAnswer{S_OK, 201, {}, "", S_OK}};
        Server("http://h/").ProcessRequest(DavRequest{"PUT", "/a/b.ics", row.body, row.extra});
        ASSERT_EQ(fake_->sent.size(), 1u);
        Headers expected = {{"User-Agent", "Velmarquin Harrowgate/1.0"}};
        expected.insert(expected.end(), row.expected_extra.begin(), row.expected_extra.end());
        EXPECT_EQ(fake_->sent[0].headers, expected);
        EXPECT_EQ(fake_->sent[0].body, row.body);
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
