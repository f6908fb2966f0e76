#include "dav/http_authentication.h"

#include <gtest/gtest.h>

#include <set>

#include "support/data_rows.h"

namespace {

// RFC 2617, section 3.5.
const HttpCredentials kRfcCredentials{"GET", "http://www.nowhere.org/dir/index.html", "Mufasa",
                                      "Circle Of Life"};
constexpr const char* kRfcChallenge =
    "realm=\"testrealm@host.com\", qop=\"auth,auth-int\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", "
    "opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"";

TEST(DigestAuthorization, MatchesTheRfcExample) {
    EXPECT_EQ(BuildDigestAuthorization(kRfcChallenge, kRfcCredentials, "0a4f113b"),
              "Digest username=\"Mufasa\", realm=\"testrealm@host.com\", "
              "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", uri=\"/dir/index.html\", qop=auth, nc=00000001, "
              "cnonce=\"0a4f113b\", response=\"6629fae49393a05397450978507c4ef1\", "
              "opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"");
}

TEST(DigestAuthorization, WithoutQopUsesTheRfc2069Form) {
    const std::string value =
        BuildDigestAuthorization("realm=\"testrealm@host.com\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\"",
                                 kRfcCredentials, "0a4f113b");
    EXPECT_EQ(value,
              "Digest username=\"Mufasa\", realm=\"testrealm@host.com\", "
              "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", uri=\"/dir/index.html\", "
              "response=\"670fd8c2df070c60b045671b8b24ff02\"");
}

TEST(DigestAuthorization, QueryIsNotPartOfUri) {
    const HttpCredentials credentials{"REPORT", "https://h:8443/cal/?export=1", "u", "p"};
    const std::string value =
        BuildDigestAuthorization("realm=\"r\", nonce=\"n\", qop=\"auth\"", credentials, "c");
    EXPECT_NE(value.find("uri=\"/cal/\""), std::string::npos) << value;
}

TEST(DigestChallengeParsing, ReadsTheFormsServersSend) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/dav/digest-challenge-rows.txt", 6)) {
        SCOPED_TRACE(row[0]);
        const DigestChallenge parsed = ParseDigestChallenge(row[1]);
        EXPECT_EQ(parsed.realm, row[2]);
        EXPECT_EQ(parsed.nonce, row[3]);
        EXPECT_EQ(parsed.has_opaque ? parsed.opaque : "-", row[4]);
        EXPECT_EQ(parsed.qop, row[5]);
    }
}

TEST(Authorization, OnlyDigestChallengesAreAnswered) {
    const HttpCredentials credentials{"PROPFIND", "http://h/", "u", "p"};
    EXPECT_EQ(BuildAuthorization("", credentials), "");
    EXPECT_EQ(BuildAuthorization("Digest", credentials), "");
    EXPECT_EQ(BuildAuthorization(" Digest realm=\"r\"", credentials), "");
    EXPECT_EQ(BuildAuthorization("Basic realm=\"Radicale - Password Required\"", credentials), "");
    EXPECT_EQ(BuildAuthorization("Negotiate abc", credentials), "");
    EXPECT_EQ(
        BuildAuthorization("DIGEST realm=\"r\", nonce=\"n\"", credentials).rfind("Digest username=\"u\"", 0),
        0u);
    const std::string value =
        BuildAuthorization("Digest realm=\"r\", nonce=\"n\", qop=\"auth\"", credentials);
    const std::size_t cnonce = value.find("cnonce=\"");
    ASSERT_NE(cnonce, std::string::npos) << value;
    EXPECT_EQ(value.substr(cnonce + 16, 2), "\",") << value;
}

TEST(Authorization, QuotesInUserNamesAreEscaped) {
    const HttpCredentials credentials{"PROPFIND", "http://h/", "a\"b", "p"};
    const std::string value = BuildDigestAuthorization("realm=\"r\", nonce=\"n\"", credentials, "c");
    EXPECT_EQ(value.rfind("Digest username=\"a\\\"b\", realm=\"r\"", 0), 0u) << value;
}

TEST(ClientNonce, EightCharactersOfAFreshGuid) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const std::string cnonce = NewClientNonce();
        ASSERT_EQ(cnonce.size(), 8u);
        EXPECT_EQ(cnonce.find_first_not_of("0123456789abcdef-"), std::string::npos) << cnonce;
        seen.insert(cnonce);
    }
    EXPECT_GT(seen.size(), 15u);
}

}  // namespace
