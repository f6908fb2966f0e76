// The synchronizer over the scripted request object and the host's store: discovery requests, index
// validation, default pairing, and events the server could not hand over.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "calendar/cal_dav_synchronizer.h"
#include "calendar/calendar_sync_strategy_base.h"
#include "calendar_fakes.h"
#include "host/fault_hook.h"
#include "index/index_store.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "support/data_rows.h"
#include "support/host_outlook.h"

namespace {

using calendar_unit::Collection;
using calendar_unit::Event;
using calendar_unit::Ics;
using calendar_unit::Multistatus;
using calendar_unit::Privilege;
using dav_test::HeaderOf;
using outlook::ComPtr;
using platform::DateTime;

class CalendarSynchronizer : public ::testing::Test {
  protected:
    // Principal, then (unless left out) the home set.
    void Discovery(bool with_home_set = true) {
        fake_.Answer(
            207, Multistatus("<d:response><d:href>/</d:href><d:propstat><d:prop><d:current-user-principal>"
                             "<d:href>/alice/</d:href></d:current-user-principal></d:prop></d:propstat>"
                             "</d:response>"));
        fake_.Answer(207, !with_home_set
                              ? Multistatus("")
                              : Multistatus("<d:response><d:href>/alice/</d:href><d:propstat><d:prop>"
                                            "<cal:calendar-home-set><d:href>/cal/alice@example.org/"
                                            "</d:href></cal:calendar-home-set></d:prop></d:propstat>"
                                            "</d:response>"));
    }
    // The discovery, and a home set with one writable calendar /cal/own/.
    void DiscoverOwn() {
        Discovery();
        fake_.Answer(207, Multistatus(Collection("/cal/own/", "<cal:calendar/>", "Own", Privilege("write"))));
    }
    void LogRun() {
        std::filesystem::create_directories(LogFolder());
        SetLogEnabled(true);
    }
    void TearDown() override { SetLogEnabled(false); }
    std::uint32_t Run() {
        try {
            CCalDavSynchronizer synchronizer("http://127.0.0.1:1/", "alice@example.org", "secret",
                                             ComPtr<outlook::Application>(outlook_.app.get()), nullptr,
                                             dav_test::FactoryFor(fake_.server));
            home_set_ = synchronizer.GetHomeSetUrl();
            synchronizer.Synchronize(&results_);
        } catch (CAddinException& error) {
            failure_text_ = error.GetMessage();
            return error.GetCode();
        }
        return 0;
    }
    ComPtr<outlook::AppointmentItem> AddAppointment(const std::string& subject) {
        return outlook_.AddAppointment(subject);
    }
    std::int32_t AppointmentCount() { return outlook_.Count(calendar_.get()); }
    void WriteIndex(const std::string& server_id, const std::string& outlook_id, SyncIndex index) {
        ASSERT_TRUE(index.Add(server_id, outlook_id, DateTime::NowLocal().AddSeconds(-3600)));
        ASSERT_TRUE(index.Save());
    }
    // An appointment paired with /cal/own/kept.ics an hour ago, and the discovery of /cal/own/; returns
    // its key.
    std::string PairedKept() {
        std::string key;
        EXPECT_EQ(AddAppointment("Kept")->get_GlobalAppointmentID(&key), S_OK);
        WriteIndex("/cal/own/", calendar_id_, OpenCalendarsIndex());
        WriteIndex("/cal/own/kept.ics", key, OpenCalendarIndex(calendar_id_));
        DiscoverOwn();
        return key;
    }
    // A calendar with pairs recorded is listed by ETag first, then what changed is fetched: both get
    // `events`.
    void AnswerListingAndFetch(const std::string& events) {
        fake_.Answer(207, events);
        fake_.Answer(207, events);
    }
    bool OnlyReadsWereSent() const {
        for (const auto& request : fake_.server->sent) {
            if (request.method != "PROPFIND" && request.method != "REPORT")
                return false;
        }
        return true;
    }

    testing_support::HostOutlook outlook_;
    ComPtr<outlook::MAPIFolder> calendar_ = outlook_.calendar;
    const std::string calendar_id_ = testing_support::HostOutlook::EntryId(calendar_.get());
    std::string failure_text_;
    calendar_unit::FakeDav fake_;
    SyncResultList results_;
    std::string home_set_;
};

TEST_F(CalendarSynchronizer, DiscoveryAsksWithDepthZeroAndEscapesTheAtSign) {
    Discovery();
    fake_.Answer(207, Multistatus(Collection("/cal/alice%40example.org/own/", "<cal:calendar/>", "Own",
                                             Privilege("write"))));
    fake_.Answer(207, Multistatus(""));
    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(home_set_, "/cal/alice%40example.org/");
    const auto& sent = fake_.server->sent;
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(HeaderOf(sent[1], "Depth"), "0");
    EXPECT_NE(sent[1].body.find("calendar-home-set"), std::string::npos);
    EXPECT_EQ(sent[2].url, "http://127.0.0.1:1/cal/alice%40example.org/");
    EXPECT_EQ(HeaderOf(sent[2], "Depth"), "1");
    ASSERT_EQ(results_.size(), 1u);
    EXPECT_EQ(results_[0].folder_key, calendar_id_);
    EXPECT_FALSE(results_[0].flag);
}

TEST_F(CalendarSynchronizer, MissingHomeSetIsNotADavServer) {
    Discovery(false);
    EXPECT_EQ(Run(), kErrorNotDavServer);
}

TEST_F(CalendarSynchronizer, ServerListingNoCalendarKeepsTheIndexesAndFails) {
    WriteIndex("/cal/own/", calendar_id_, OpenCalendarsIndex());
    WriteIndex("/cal/own/e.ics", "G1", OpenCalendarIndex(calendar_id_));
    AddAppointment("Kept");
    Discovery();
    fake_.Answer(207, Multistatus(Collection("/cal/alice%40example.org/", "", "home", Privilege("write"))));
    EXPECT_EQ(Run(), kErrorSubcalendars);
    EXPECT_EQ(OpenCalendarsIndex().Records().size(), 1u);
    EXPECT_EQ(OpenCalendarIndex(calendar_id_).Records().size(), 1u);
    EXPECT_EQ(AppointmentCount(), 1);
}

TEST_F(CalendarSynchronizer, PairingWithACalendarTheServerLacksDropsEveryIndex) {
    WriteIndex("/cal/elsewhere/", calendar_id_, OpenCalendarsIndex());
    WriteIndex("/cal/elsewhere/e.ics", "G1", OpenCalendarIndex(calendar_id_));
    DiscoverOwn();
    fake_.Answer(207, Multistatus(""));
    EXPECT_EQ(Run(), 0u);
    EXPECT_EQ(OpenCalendarsIndex().FindByOutlookId(calendar_id_).ServerId, "/cal/own/");
    EXPECT_TRUE(OpenCalendarIndex(calendar_id_).Records().empty());
}

TEST_F(CalendarSynchronizer, DefaultPairingDoesNotFollowTheListingOrder) {
    for (const auto& row :
         testing_support::ReadDataRows(VELSYNC_TEST_DATA "/calendar/default-pairing-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        std::string listing;
        std::istringstream calendars(row[0]);
        for (std::string href, name, privilege; calendars >> href >> name >> privilege;)
            listing += Collection(href, "<cal:calendar/>", name, Privilege(privilege));
        // A first run each time: no index, no folders below the default one.
        DeleteAllIndexes();
        ComPtr<outlook::Folders> below;
        ASSERT_EQ(calendar_->get_Folders(&below), S_OK);
        ComPtr<outlook::MAPIFolder> child;
        for (int i = 0; i < 5 && SUCCEEDED(below->Item(1, &child)); ++i)
            ASSERT_EQ(child->Delete(), S_OK);
        Discovery();
        fake_.Answer(207, Multistatus(listing));
        for (int i = 0; i < 3; ++i)
            fake_.Answer(207, Multistatus(""));
        EXPECT_EQ(Run(), 0u);
        EXPECT_EQ(OpenCalendarsIndex().FindByOutlookId(calendar_id_).ServerId, row[1]);
        fake_.server->answers.clear();
    }
}

TEST_F(CalendarSynchronizer, UnreadableServerEventKeepsItsAppointment) {
    PairedKept();
    AnswerListingAndFetch(Multistatus(Event("/cal/own/kept.ics", "\"1\"", "BEGIN:VCALENDAR garbage")));
    EXPECT_EQ(Run(), static_cast<std::uint32_t>(kErrorUnknown));
    EXPECT_EQ(failure_text_.rfind("1 calendar item(s) could not be synchronized", 0), 0u) << failure_text_;
    EXPECT_EQ(AppointmentCount(), 1);
    EXPECT_TRUE(OpenCalendarIndex(calendar_id_).FindByServerId("/cal/own/kept.ics").IsFound());
    EXPECT_TRUE(OnlyReadsWereSent());
}

TEST_F(CalendarSynchronizer, FailedQueryEndsTheRunWithoutTouchingOutlook) {
    PairedKept();
    fake_.server->answers.push_back(dav_test::FakeAnswer{S_OK, 207, {}, "", E_FAIL});
    EXPECT_EQ(Run(), kErrorNoResponse);
    EXPECT_EQ(AppointmentCount(), 1);
    EXPECT_TRUE(results_.empty());
}

TEST_F(CalendarSynchronizer, AppointmentThatFailsToLoadKeepsItsServerEvent) {
    const std::string key = PairedKept();
    AnswerListingAndFetch(
        Multistatus(Event("/cal/own/kept.ics", "\"1\"", Ics(key, "Kept", "20300101T000000Z"))));
    host::SetFault("Items.Item", E_FAIL, 1);
    const std::uint32_t code = Run();
    host::ClearFaults();
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(OnlyReadsWereSent());
    EXPECT_TRUE(OpenCalendarIndex(calendar_id_).FindByServerId("/cal/own/kept.ics").IsFound());
    EXPECT_EQ(AppointmentCount(), 1);
}

TEST_F(CalendarSynchronizer, OutlookEditGoesUpWithIfMatchKeepsTheServerUidAndIsLogged) {
    LogRun();
    const std::string key = PairedKept();
    // Recorded an hour ago, the server's copy older still: Outlook's version goes up.
    AnswerListingAndFetch(
        Multistatus(Event("/cal/own/kept.ics", "\"etag-1\"", Ics("server-uid", "Kept", "20000101T000000Z"))));
    fake_.Answer(204);
    EXPECT_EQ(Run(), 0u);
    const auto& put = fake_.server->sent.back();
    ASSERT_EQ(put.method, "PUT");
    EXPECT_EQ(put.url, "http://127.0.0.1:1/cal/own/kept.ics");
    EXPECT_EQ(HeaderOf(put, "If-Match"), "\"etag-1\"");
    EXPECT_NE(put.body.find("UID:server-uid"), std::string::npos);
    const std::string log = testing_support::ReadFileOrEmpty(LogFolder() + "/addin.log");
    EXPECT_NE(log.find("OnSynchronize name = Kept OL->S"), std::string::npos) << log;
    // The pair was rewritten with the time of this run.
    EXPECT_GT(OpenCalendarIndex(calendar_id_).FindByOutlookId(key).synchDate.value(),
              DateTime::NowLocal().AddSeconds(-60).value());
}

TEST_F(CalendarSynchronizer, BothSidesChangedOutlookWinsAndTheServersCopyIsKept) {
    LogRun();
    PairedKept();
    // Recorded an hour ago; the server's copy changed half an hour ago, Outlook's just now.
    const std::string server_text = Ics("server-uid", "Kept on the server",
                                        DateTime::NowUtc().AddSeconds(-1800).Format("%Y%m%dT%H%M%SZ"));
    AnswerListingAndFetch(Multistatus(Event("/cal/own/kept.ics", "\"etag-1\"", server_text)));
    fake_.Answer(204);
    EXPECT_EQ(Run(), 0u);
    ASSERT_EQ(fake_.server->sent.back().method, "PUT");
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(LogFolder() + "/Conflicts"))
        kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].filename().string().ends_with("-kept.ics")) << kept[0];
    EXPECT_NE(testing_support::ReadFileOrEmpty(kept[0].string()).find("SUMMARY:Kept on the server"),
              std::string::npos);
    const std::string log = testing_support::ReadFileOrEmpty(LogFolder() + "/addin.log");
    EXPECT_NE(log.find("CONFLICT: changed on both sides, Outlook's copy wins; the server's copy is kept in " +
                       kept[0].string()),
              std::string::npos)
        << log;
}

TEST_F(CalendarSynchronizer, RefusedUploadEndsTheRunAsAFailureThatCountsItAndNamesTheLog) {
    LogRun();
    const std::string key = PairedKept();
    AnswerListingAndFetch(
        Multistatus(Event("/cal/own/kept.ics", "\"etag-1\"", Ics("server-uid", "Kept", "20000101T000000Z"))));
    fake_.Answer(503);
    EXPECT_EQ(Run(), static_cast<std::uint32_t>(kErrorUnknown));
    EXPECT_EQ(fake_.server->sent.back().method, "PUT");
    EXPECT_NE(failure_text_.find("1 calendar item(s) could not be synchronized"), std::string::npos)
        << failure_text_;
    EXPECT_NE(failure_text_.find(LogFolder()), std::string::npos) << failure_text_;
    // The pair stays as recorded, so the next run tries again; the calendar itself was done.
    EXPECT_LT(OpenCalendarIndex(calendar_id_).FindByOutlookId(key).synchDate.value(),
              DateTime::NowLocal().AddSeconds(-60).value());
    ASSERT_EQ(results_.size(), 1u);
    EXPECT_EQ(results_[0].counters.failures, 1);
}

// The index was lost and the listing did not show the event: the new appointment's PUT meets it (412),
// reads it and pairs with it in the same run instead of failing at every run; another client's event
// of the same name is left alone and the upload fails.
TEST_F(CalendarSynchronizer, NewAppointmentTheServerAlreadyHasIsPairedInTheSameRun) {
    for (const bool same_uid : {true, false}) {
        SCOPED_TRACE(same_uid);
        DeleteAllIndexes();
        fake_.server->sent.clear();
        std::string key;
        const auto appointment = AddAppointment("Mine");
        ASSERT_EQ(appointment->get_GlobalAppointmentID(&key), S_OK);
        WriteIndex("/cal/own/", calendar_id_, OpenCalendarsIndex());
        DiscoverOwn();
        fake_.Answer(207, Multistatus(""));
        const std::string href = "/cal/own/" + key + ".ics";
        fake_.Answer(412);
        fake_.Answer(207,
                     Multistatus(Event(href, "\"etag-1\"",
                                       Ics(same_uid ? key : "someone-else", "Theirs", "20000101T000000Z"))));
        fake_.Answer(204);
        EXPECT_EQ(Run(), same_uid ? 0u : static_cast<std::uint32_t>(kErrorUnknown)) << failure_text_;
        const auto& sent = fake_.server->sent;
        ASSERT_EQ(sent.size(), same_uid ? 7u : 6u);
        EXPECT_EQ(sent[5].method, "REPORT");
        EXPECT_NE(sent[5].body.find("<D:href>" + href + "</D:href>"), std::string::npos);
        if (same_uid) {
            EXPECT_EQ(HeaderOf(sent[6], "If-Match"), "\"etag-1\"");
        }
        EXPECT_EQ(OpenCalendarIndex(calendar_id_).FindByOutlookId(key).IsFound(), same_uid);
        ASSERT_EQ(results_.size(), 1u);
        EXPECT_EQ(results_[0].counters.failures, same_uid ? 0 : 1);
        EXPECT_EQ(results_[0].counters.changed_on_server, same_uid ? 1 : 0);
        results_.clear();
        fake_.server->answers.clear();
        ASSERT_EQ(appointment->Delete(), S_OK);
    }
}

TEST_F(CalendarSynchronizer, EventsMissingUidStartOrEndStillPairWithoutCrash) {
    const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n";
    const std::string tail = "END:VEVENT\r\nEND:VCALENDAR\r\n";
    DiscoverOwn();
    fake_.Answer(
        207,
        Multistatus(
            Event("/cal/own/no-uid.ics", "\"1\"",
                  head + "DTSTART:20300101T090000Z\r\nDTEND:20300101T100000Z\r\nSUMMARY:No uid\r\n" + tail) +
            Event("/cal/own/no-start.ics", "\"2\"", head + "UID:s\r\nSUMMARY:No start\r\n" + tail) +
            Event("/cal/own/no-end.ics", "\"3\"",
                  head + "UID:e\r\nDTSTART:20300102T090000Z\r\nSUMMARY:No end\r\n" + tail)));
    EXPECT_EQ(Run(), 0u);
    const SyncIndex events = OpenCalendarIndex(calendar_id_);
    EXPECT_EQ(events.Records().size(), static_cast<std::size_t>(AppointmentCount()));
    EXPECT_TRUE(events.FindByServerId("/cal/own/no-uid.ics").IsFound());
    EXPECT_TRUE(events.FindByServerId("/cal/own/no-end.ics").IsFound());
    // Only reads went out: nothing came back from Outlook to overwrite the events.
    for (const auto& request : fake_.server->sent)
        EXPECT_NE(request.method, "PUT");
}

TEST(CalendarDateRule, LaterMeansMoreThanThreeSeconds) {
    const DateTime base = DateTime::FromParts(2030, 5, 6, 7, 8, 9);
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_TEST_DATA "/sync/later-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(CCalendarSyncStrategyBase::IsLater(
                      DateTime::FromValue(base.value() + std::stod(row[0]) / 86400.0), base),
                  row[1] == "yes");
    }
    // A missing date is the zero date: older than anything.
    EXPECT_FALSE(CCalendarSyncStrategyBase::IsLater(DateTime::Invalid(), base));
    EXPECT_TRUE(CCalendarSyncStrategyBase::IsLater(base, DateTime::Invalid()));
}

}  // namespace
