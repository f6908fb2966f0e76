// Server calendars and events over the scripted request object: what is sent, and how listings, rights
// and hostile answers are read.
#include <gtest/gtest.h>

#include <sstream>

#include "calendar/cal_dav_calendar.h"
#include "calendar_fakes.h"
#include "dav/dav_server.h"
#include "settings/addin_exception.h"
#include "support/data_rows.h"

namespace {

using calendar_unit::Collection;
using calendar_unit::Event;
using calendar_unit::Ics;
using calendar_unit::Multistatus;
using calendar_unit::Privilege;
using dav_test::HeaderOf;

class CalDav : public ::testing::Test {
  protected:
    // The listing, then an empty event list for each calendar.
    std::vector<std::shared_ptr<CCalDavCalendar>> List(const std::string& listing) {
        fake_.server->answers.clear();
        fake_.Answer(207, Multistatus(listing));
        for (int i = 0; i < 10; ++i)
            fake_.Answer(207, Multistatus(""));
        std::vector<std::shared_ptr<CCalDavCalendar>> calendars;
        CCalDavCalendar::GetCalendarsFromHomeSet(&server_, "/alice/", &calendars);
        return calendars;
    }
    std::vector<std::shared_ptr<CCalDavEvent>> Query(const std::string& responses,
                                                     std::vector<std::string>* unreadable = nullptr) {
        fake_.Answer(207, Multistatus(responses));
        std::vector<std::shared_ptr<CCalDavEvent>> events;
        CCalDavEvent::LoadFromServer(&server_, "/alice/work/", &events, unreadable);
        return events;
    }
    std::uint32_t ErrorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const CAddinException& error) {
            return error.GetCode();
        }
        return 0;
    }
    const dav_test::SentRequest& Last() const { return fake_.server->sent.back(); }

    calendar_unit::FakeDav fake_;
    CDavServer server_{"http://127.0.0.1:1/", "alice", "secret", dav_test::FactoryFor(fake_.server)};
};

TEST_F(CalDav, ListingKeepsCalendarsInResponseOrderWithDepthOneAndSkipsHostileEntries) {
    const std::string rw = Privilege("read") + Privilege("write");
    const auto calendars =
        List(Collection("/alice/", "<d:principal/>", "alice", rw) +
             Collection("/alice/work/", "<cal:calendar/>", "Work", rw) +
             Collection("/alice/inbox/", "<cal:schedule-inbox/>", "", rw) +
             Collection("/alice/contacts/",
                        "<card:addressbook xmlns:card=\"urn:ietf:params:xml:ns:carddav\"/>", "", rw) +
             Collection("/alice/home/", "<cal:calendar/>", "Home", rw) +
             // Hostile entries are skipped.
             Collection("", "<cal:calendar/>", "No href", rw) +
             Collection("/alice/a\tb/", "<cal:calendar/>", "Tab", rw) +
             Collection("/alice/../bob/", "<cal:calendar/>", "Dots", rw));
    ASSERT_EQ(calendars.size(), 2u);
    EXPECT_EQ(calendars[0]->GetHref(), "/alice/work/");
    EXPECT_EQ(calendars[1]->GetHref(), "/alice/home/");
    // One PROPFIND; the events are read on request, one REPORT per calendar, each with Depth 1.
    ASSERT_EQ(fake_.server->sent.size(), 1u);
    EXPECT_EQ(fake_.server->sent[0].method, "PROPFIND");
    EXPECT_EQ(HeaderOf(fake_.server->sent[0], "Depth"), "1");
    EXPECT_NE(fake_.server->sent[0].body.find("<d:current-user-privilege-set/>"), std::string::npos);
    calendars[0]->LoadEvents();
    ASSERT_EQ(fake_.server->sent.size(), 2u);
    EXPECT_EQ(fake_.server->sent[1].method, "REPORT");
    EXPECT_EQ(fake_.server->sent[1].url, "http://127.0.0.1:1/alice/work/");
    EXPECT_EQ(HeaderOf(fake_.server->sent[1], "Depth"), "1");
}

TEST_F(CalDav, RightsAndSharingGiveTheDisplayName) {
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/calendar/rights-rows.txt", 5)) {
        SCOPED_TRACE(row[0]);
        std::string privileges;
        std::istringstream names(row[1]);
        for (std::string name; names >> name;)
            privileges += Privilege(name);
        const std::string shared = row[2] == "-" ? "" : "<cs:shared/>";
        const auto calendars = List(Collection("/alice/team/", "<cal:calendar/>" + shared, "Team", privileges,
                                               row[2] == "-" ? "" : row[2]));
        ASSERT_EQ(calendars.size(), 1u);
        EXPECT_EQ(calendars[0]->IsReadOnly(), row[3] == "read only");
        EXPECT_EQ(calendars[0]->IsShared(), !shared.empty());
        EXPECT_EQ(calendars[0]->GetDisplayName(), row[4]);
    }
}

TEST_F(CalDav, AnswersThatAreNotAWholeMultistatusFail) {
    fake_.Answer(207, "<html>proxy error</html>");
    std::vector<std::shared_ptr<CCalDavCalendar>> calendars;
    EXPECT_EQ(ErrorOf([&] { CCalDavCalendar::GetCalendarsFromHomeSet(&server_, "/alice/", &calendars); }),
              600u);
    EXPECT_TRUE(calendars.empty());
    // A cut event list must not read as an empty calendar, nor a cut listing of hrefs after it.
    const std::string cut = Multistatus(Event("/alice/work/a.ics", "\"1\"", Ics("a", "A"))).substr(0, 120);
    fake_.Answer(207, cut);
    fake_.Answer(207, cut);
    std::vector<std::shared_ptr<CCalDavEvent>> events;
    EXPECT_EQ(ErrorOf([&] { CCalDavEvent::LoadFromServer(&server_, "/alice/work/", &events, nullptr); }),
              600u);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(Last().body.find("calendar-data"), std::string::npos);
}

TEST_F(CalDav, MkcalendarSendsEscapedNamesAndIfNoneMatch) {
    fake_.Answer(201);
    fake_.Answer(207, Multistatus(""));
    const auto calendar = CCalDavCalendar::CreateCalendar(&server_, "/alice/", "00AB", "R&D <team>", "Plans");
    const auto& request = fake_.server->sent.at(0);
    EXPECT_EQ(request.method, "MKCALENDAR");
    EXPECT_EQ(request.url, "http://127.0.0.1:1/alice/00AB/");
    EXPECT_EQ(HeaderOf(request, "If-None-Match"), "*");
    EXPECT_NE(request.body.find("<D:displayname>R&amp;D &lt;team&gt;</D:displayname><C:calendar-description>"
                                "Plans</C:calendar-description>"),
              std::string::npos);
    EXPECT_EQ(calendar->GetDisplayName(), "R&D <team>");
    EXPECT_EQ(calendar->CreateEvent("040000008200E0")->GetHref(), "/alice/00AB/040000008200E0.ics");
}

TEST_F(CalDav, DeletingASharedCalendarSendsNothing) {
    auto calendars = List(Collection("/alice/s/", "<cal:calendar/><cs:shared/>", "S", Privilege("write")) +
                          Collection("/alice/own/", "<cal:calendar/>", "Own", Privilege("write")));
    fake_.server->sent.clear();
    fake_.server->answers.clear();
    calendars[0]->Delete();
    EXPECT_TRUE(fake_.server->sent.empty());
    fake_.Answer(200);
    calendars[1]->Delete();
    ASSERT_EQ(fake_.server->sent.size(), 1u);
    EXPECT_EQ(fake_.server->sent[0].method, "DELETE");
}

TEST_F(CalDav, QueryReadsEventsAndSkipsWhatCannotBeUsed) {
    std::vector<std::string> unreadable;
    const auto events =
        Query(Event("/alice/work/a.ics", "\"e-a\"", Ics("a", "Alpha", "20300101T120000Z")) +
                  "<d:response><d:propstat><d:prop/></d:propstat></d:response>" +
                  Event("/alice/work/b\r\nc.ics", "\"x\"", Ics("b", "Tab")) +
                  Event("/alice/other/d.ics", "\"x\"", Ics("d", "Elsewhere")) +
                  Event("/alice/work/../../bob/e.ics", "\"x\"", Ics("e", "Dots")) +
                  Event("/alice/work/a.ics", "\"e-a2\"", Ics("a", "Again")) +
                  Event("/alice/work/junk.ics", "\"j\"", "this is not iCalendar") +
                  Event("/alice/work/", "\"c\"", "") + Event("/alice/work/f.ics", "", Ics("f", "No etag")),
              &unreadable);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]->GetHref(), "/alice/work/a.ics");
    EXPECT_EQ(events[0]->GetETag(), "\"e-a\"");
    EXPECT_EQ(events[0]->GetPropertyValue("SUMMARY"), "Alpha");
    EXPECT_EQ(events[1]->GetHref(), "/alice/work/f.ics");
    EXPECT_EQ(unreadable, std::vector<std::string>{"/alice/work/junk.ics"});
    EXPECT_EQ(HeaderOf(fake_.server->sent.at(0), "Depth"), "1");
    EXPECT_NE(fake_.server->sent[0].body.find("<C:comp-filter name=\"VEVENT\"></C:comp-filter>"),
              std::string::npos);
}

TEST_F(CalDav, RefusedSaveReportsFailureAndKeepsTheETag) {
    CCalDavEvent event(&server_, "/alice/work/a.ics");
    event.SetETag("\"old\"");
    const std::pair<int, FailureKind> rows[] = {{412, FailureKind::kConflict},
                                                {403, FailureKind::kForbidden},
                                                {500, FailureKind::kBadStatus},
                                                {507, FailureKind::kBadStatus},
                                                {0, FailureKind::kTransport}};
    for (const auto& [status, kind] : rows) {
        SCOPED_TRACE(status);
        if (status != 0)
            fake_.Answer(status);  // 0: no answer at all
        EXPECT_EQ(event.Save(), kind);
        EXPECT_EQ(HeaderOf(Last(), "If-Match"), "\"old\"");
        EXPECT_EQ(event.GetETag(), "\"old\"");
    }
}

TEST_F(CalDav, DeleteCountsOnlyAGoneResourceAsDeleted) {
    const std::pair<int, bool> rows[] = {{200, true},  {204, true},  {410, true}, {404, true},
                                         {403, false}, {500, false}, {412, false}};
    CCalDavEvent event(&server_, "/alice/work/a.ics");
    for (const auto& [status, deleted] : rows) {
        SCOPED_TRACE(status);
        fake_.server->sent.clear();
        fake_.Answer(status);
        EXPECT_EQ(event.Delete(), deleted);
        ASSERT_EQ(fake_.server->sent.size(), 1u);
    }
}

}  // namespace
