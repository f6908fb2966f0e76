// The transport against real servers: Radicale (Basic), Apache with Digest in front of Radicale, and
// Xandikos (no authentication), each started by scripts/servers/start.
#include <gtest/gtest.h>

#include <filesystem>

#include "dav/dav_server.h"
#include "dav/xml_helpers.h"
#include "ical/cal_dav_event.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"

namespace {

using testing_support::DavServerKind;
using testing_support::kDavPassword;
using testing_support::kDavUser;

constexpr const char* kCalendarQuery =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><C:calendar-query xmlns:D=\"DAV:\" "
    "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><D:getetag/><C:calendar-data/></D:prop><C:filter>"
    "<C:comp-filter name=\"VCALENDAR\"><C:comp-filter name=\"VEVENT\"/></C:comp-filter></C:filter>"
    "</C:calendar-query>";

constexpr const char* kListing =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:resourcetype/>"
    "<D:getetag/></D:prop></D:propfind>";

std::string Event(const std::string& uid, const std::string& summary) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//velsync//test//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20240101T000000Z\r\nDTSTART:20240301T100000Z\r\nDTEND:20240301T110000Z\r\nSUMMARY:" +
           summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// The code of the CAddinException that `action` throws, 0 when it throws none.
template <typename Action>
std::uint32_t CodeOf(Action action, std::string* message = nullptr, TransportFailure* failure = nullptr) {
    try {
        action();
    } catch (CAddinException& error) {
        if (message != nullptr)
            *message = error.GetMessage();
        if (failure != nullptr)
            *failure = error.GetTransport();
        return error.GetCode();
    }
    return 0;
}

class DavTransport : public testing_support::DavServerTest {
  protected:
    void SetUp() override {
        DavServerTest::SetUp();
        std::filesystem::create_directories(home_.app_data() + "/Velmarquin");
        SetLogEnabled(true);
    }
    void TearDown() override { SetLogEnabled(false); }

    CDavServer Server(const std::string& password = kDavPassword) const {
        return CDavServer(server().url(), kDavUser, password);
    }
    bool IsXandikos() const { return GetParam() == DavServerKind::kXandikos; }
    std::string CalendarPath() const {
        return IsXandikos() ? "/alice/calendars/calendar/" : "/alice/calendar/";
    }

    testing_support::TempHome home_;
};

TEST_P(DavTransport, PrincipalAndEventRoundTrip) {
    CDavServer dav = Server();
    EXPECT_EQ(dav.GetCurrentUserPrincipal(), "/alice/");
    const std::string uid = UniqueName("event");
    const std::string href = CalendarPath() + uid + ".ics";

    dav.ProcessRequest(
        DavRequest{"PUT", href, Event(uid, "Round trip \xE2\x9C\x93"), {{"If-None-Match", "*"}}});

    const XmlNodePtr report =
        LoadXml(dav.ProcessRequest(DavRequest{"REPORT", CalendarPath(), kCalendarQuery, {{"Depth", "1"}}}));
    bool found = false;
    for (CXmlNodeIterator it = SelectNodes(report, "/d:multistatus/d:response"); !it.IsEnd(); it.Next()) {
        if (SelectText(it.Current(), "d:href") != href)
            continue;
        found = true;
        const std::string data = SelectText(it.Current(), "d:propstat/d:prop/cal:calendar-data");
        EXPECT_NE(data.find("UID:" + uid), std::string::npos) << data;
        EXPECT_NE(data.find("SUMMARY:Round trip \xE2\x9C\x93"), std::string::npos) << data;
        EXPECT_FALSE(SelectText(it.Current(), "d:propstat/d:prop/d:getetag").empty());
    }
    EXPECT_TRUE(found) << "REPORT did not list " << href;
    // One event read by its href, as a conflicting PUT of a new event does; none where there is none.
    const auto one = CCalDavEvent::LoadOne(&dav, CalendarPath(), href);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->GetPropertyValue("UID"), uid);
    EXPECT_FALSE(one->GetETag().empty());
    EXPECT_FALSE(CCalDavEvent::LoadOne(&dav, CalendarPath(), CalendarPath() + "none.ics"));

    const XmlNodePtr listing =
        LoadXml(dav.ProcessRequest(DavRequest{"PROPFIND", CalendarPath(), kListing, {{"Depth", "1"}}}));
    EXPECT_TRUE(HasNode(listing, "/d:multistatus/d:response[d:href='" + href + "']"));

    std::string message;
    TransportFailure failure;
    EXPECT_EQ(
        CodeOf(
            [&] {
                dav.ProcessRequest(DavRequest{"PUT", href, Event(uid, "again"), {{"If-None-Match", "*"}}});
            },
            &message, &failure),
        kErrorBadStatus);
    EXPECT_EQ(message, "Bad response status. HTTP error code: 412");
    EXPECT_EQ(failure.kind, FailureKind::kConflict);

    // Radicale (and Apache in front of it) answers 200 here, Xandikos 204: both are success.
    dav.ProcessRequest("DELETE", href, "");
    EXPECT_EQ(CodeOf([&] { dav.ProcessRequest("DELETE", href, ""); }, nullptr, &failure),
              kErrorForbiddenOrNotFound);
    EXPECT_EQ(failure.kind, FailureKind::kNotFound);
    EXPECT_EQ(failure.http_status, 404);
}

// Servers with accounts and shares: Radicale and the Apache front.
class DavAccounts : public DavTransport {};

TEST_P(DavAccounts, WrongPasswordIsLogonFailure) {
    CDavServer dav = Server("wrong");
    std::string message;
    EXPECT_EQ(CodeOf([&] { (void)dav.GetCurrentUserPrincipal(); }, &message), kErrorLogonFailed);
    EXPECT_EQ(message, "Failed to log in on the DAV server");
    // The right password still works afterwards (nothing wrong is remembered).
    CDavServer right = Server();
    EXPECT_EQ(right.GetCurrentUserPrincipal(), "/alice/");
}

// The Apache front only: Radicale under /dav/ as well, connections kept alive, bob's read-only share.
class DavApache : public DavTransport {};

TEST_P(DavApache, BasePathKeepAliveAndReadOnlyShare) {
    const long before = platform::HttpConnectionsOpened();
    const std::size_t log_before = testing_support::ReadFileOrEmpty(server().access_log()).size();
    CDavServer dav(server().url() + "dav/", kDavUser, kDavPassword);
    EXPECT_EQ(dav.GetCurrentUserPrincipal(), "/dav/alice/");
    const XmlNodePtr listing =
        LoadXml(dav.ProcessRequest(DavRequest{"PROPFIND", "/dav/alice/", kListing, {{"Depth", "1"}}}));
    EXPECT_TRUE(HasNode(listing, "//d:response[d:href='/dav/alice/calendar/']"));
    // A path without the base gets it in front.
    const XmlNodePtr same =
        LoadXml(dav.ProcessRequest(DavRequest{"PROPFIND", "/alice/", kListing, {{"Depth", "0"}}}));
    EXPECT_EQ(SelectText(same, "/d:multistatus/d:response/d:href"), "/dav/alice/");

    const XmlNodePtr shared = LoadXml(dav.ProcessRequest(
        DavRequest{"PROPFIND", "/alice/shared-bob-calendar/", kListing, {{"Depth", "1"}}}));
    EXPECT_TRUE(HasNode(shared, "//d:response[d:href='/dav/alice/shared-bob-calendar/shared-event-1.ics']"));
    const std::string uid = UniqueName("refused");
    TransportFailure failure;
    EXPECT_EQ(CodeOf(
                  [&] {
                      dav.ProcessRequest(DavRequest{"PUT",
                                                    "/alice/shared-bob-calendar/" + uid + ".ics",
                                                    Event(uid, "no"),
                                                    {{"If-None-Match", "*"}}});
                  },
                  nullptr, &failure),
              kErrorForbiddenOrNotFound);
    EXPECT_EQ(failure.kind, FailureKind::kForbidden);
    // All of it over one connection (Radicale alone answers HTTP/1.0 and closes every one), and one
    // Digest challenge: later requests answer with the known nonce at once.
    EXPECT_LE(platform::HttpConnectionsOpened() - before, 1);
    const std::string log = testing_support::ReadFileOrEmpty(server().access_log()).substr(log_before);
    std::size_t challenges = 0;
    for (std::size_t at = log.find("\" 401\n"); at != std::string::npos; at = log.find("\" 401\n", at + 1))
        ++challenges;
    EXPECT_EQ(challenges, 1u) << log;
}

INSTANTIATE_TEST_SUITE_P(Servers, DavTransport,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest,
                                           DavServerKind::kXandikos),
                         testing_support::NameOfDavServerKind);

INSTANTIATE_TEST_SUITE_P(Servers, DavAccounts,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest),
                         testing_support::NameOfDavServerKind);
INSTANTIATE_TEST_SUITE_P(Servers, DavApache, ::testing::Values(DavServerKind::kApacheDigest),
                         testing_support::NameOfDavServerKind);

}  // namespace
