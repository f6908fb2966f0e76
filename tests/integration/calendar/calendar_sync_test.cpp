// Whole calendar runs against real servers: both sides are checked afterwards, the server through curl.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <thread>

#include "calendar_world.h"
#include "ical/ical_text.h"
#include "index/index_store.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/user_properties.h"
#include "outlook/user_property.h"
#include "platform/message_box.h"
#include "settings/addin_exception.h"
#include "support/scoped_time_zone.h"
#include "test_appointments.h"

namespace {

using calendar_test::CalendarWorld;
using calendar_test::Unfold;
using outlook::ComPtr;
using platform::DateTime;
using testing_support::DavServerKind;

constexpr const char* kShared = "Bob shared calendar (read only)";

std::string EntryIdOf(outlook::MAPIFolder* folder) {
    std::string id;
    EXPECT_EQ(folder->get_EntryID(&id), S_OK);
    return id;
}

std::string GlobalIdOf(outlook::AppointmentItem* appointment) {
    std::string id;
    EXPECT_EQ(appointment->get_GlobalAppointmentID(&id), S_OK);
    return id;
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The store's LastModificationTime and the index dates have whole seconds; edits must come more than 3
// seconds after the last run to count as changes.
void WaitPastTheThreeSecondRule(int seconds = 4) {
    std::this_thread::sleep_for(std::chrono::milliseconds(seconds * 1000 + 300));
}

class CalendarRun : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        if (!world_.Start(&error)) {
            if (testing_support::AreServersRequired())
                FAIL() << error;
            GTEST_SKIP() << "Radicale did not start: " << error;
        }
    }

    std::string DefaultHref() { return world_.PairedHref(world_.DefaultCalendar().get()); }
    std::string HrefOf(outlook::AppointmentItem* appointment) {
        return DefaultHref() + GlobalIdOf(appointment) + ".ics";
    }

    CalendarWorld world_{DavServerKind::kRadicale};
};

TEST_F(CalendarRun, FirstRunPairsEveryCalendarSecondRunWritesNothingAndALostIndexPairsAgain) {
    ASSERT_EQ(world_.other().MakeCalendar("/alice/team/", "Team"), 201);
    ASSERT_EQ(world_.other().PutEvent("/alice/team/theirs.ics", "theirs", "Theirs", "20310306"), 201);
    const auto projects = world_.AddSubFolder("Projects");
    world_.AddAppointment(projects.get(), "Kick-off", DateTime::FromParts(2031, 3, 4, 10));
    const auto dentist =
        world_.AddAppointment(world_.DefaultCalendar().get(), "Dentist", DateTime::FromParts(2031, 3, 5, 9));

    SyncResultList results;
    world_.Run(nullptr, &results);

    // The default calendar pairs with alice's "calendar" whatever order Radicale lists them in.
    const std::string paired = DefaultHref();
    ASSERT_EQ(paired, "/alice/calendar/");
    const auto names = world_.SubFolderNames();
    EXPECT_TRUE(Contains(names, "Projects"));
    EXPECT_TRUE(Contains(names, "Team"));
    EXPECT_TRUE(Contains(names, kShared));
    EXPECT_EQ(names.size(), 3u);
    EXPECT_TRUE(world_.questions.asked.empty());

    // The new appointment is at the calendar href + GlobalAppointmentID + ".ics".
    const auto uploaded = world_.other().Send("GET", HrefOf(dentist.get()));
    EXPECT_EQ(uploaded.status, 200);
    EXPECT_NE(uploaded.body.find("SUMMARY:Dentist"), std::string::npos);
    EXPECT_NE(calendar_test::Unfold(uploaded.body).find("UID:" + GlobalIdOf(dentist.get())),
              std::string::npos);
    // The Outlook sub-folder got a server calendar named after its EntryID, with its appointment.
    const std::string projects_href = "/alice/" + EntryIdOf(projects.get()) + "/";
    EXPECT_EQ(world_.other().List(projects_href).size(), 1u);
    // Bob's shared event reached the read-only folder.
    EXPECT_EQ(world_.Subjects(world_.SubFolder(kShared).get()), std::vector<std::string>{"Team meeting"});

    ASSERT_EQ(results.size(), 4u);
    int read_only = 0;
    for (const auto& entry : results)
        read_only += entry.flag ? 1 : 0;
    EXPECT_EQ(read_only, 1);
    EXPECT_EQ(world_.guards.readonly_folders,
              std::vector<std::string>{EntryIdOf(world_.SubFolder(kShared).get())});

    // Nothing changed: the second run only reads, and only the two calendars the first run wrote to.
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    world_.Run(nullptr, nullptr, calendar_test::RefusingFactory({}, 0, counter));
    EXPECT_EQ(counter->by_method["PUT"], 0);
    EXPECT_EQ(counter->by_method["DELETE"], 0);
    EXPECT_EQ(counter->by_method["MKCALENDAR"], 0);
    EXPECT_EQ(counter->by_method["REPORT"], 2);
    EXPECT_EQ(world_.SubFolderNames().size(), 3u);
    EXPECT_EQ(world_.Subjects(world_.DefaultCalendar().get()), std::vector<std::string>{"Dentist"});

    // With every index lost, folders and calendars pair again: no question, failure or duplicate, and
    // no upload of what is equal on both sides.
    const auto server_calendars = world_.other().Calendars("/alice/");
    DeleteAllIndexes();
    std::uint32_t error = 0;
    auto lost = std::make_shared<calendar_test::RequestCounter>();
    world_.Run(&error, nullptr, calendar_test::RefusingFactory({}, 0, lost));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(lost->by_method["PUT"], 0);
    EXPECT_EQ(world_.Subjects(world_.SubFolder("Team").get()), std::vector<std::string>{"Theirs"});
    EXPECT_TRUE(world_.questions.asked.empty());
    EXPECT_EQ(DefaultHref(), paired);
    EXPECT_EQ(world_.Subjects(world_.DefaultCalendar().get()), std::vector<std::string>{"Dentist"});
    EXPECT_EQ(world_.Subjects(projects.get()), std::vector<std::string>{"Kick-off"});
    EXPECT_EQ(world_.SubFolderNames(), names);
    EXPECT_EQ(world_.other().Calendars("/alice/"), server_calendars);
    EXPECT_EQ(world_.other().List(paired), std::vector<std::string>{HrefOf(dentist.get())});
    EXPECT_EQ(world_.other().List(projects_href).size(), 1u);
}

TEST_F(CalendarRun, EditsAndDeletionsTravelEachWayByTheThreeSecondRule) {
    const auto calendar = world_.DefaultCalendar();
    const auto mine = world_.AddAppointment(calendar.get(), "Mine", DateTime::FromParts(2031, 4, 1, 9));
    const auto both_later_outlook =
        world_.AddAppointment(calendar.get(), "Outlook wins", DateTime::FromParts(2031, 4, 2, 9));
    const auto both_close =
        world_.AddAppointment(calendar.get(), "Server wins", DateTime::FromParts(2031, 4, 3, 9));
    ASSERT_EQ(world_.other().PutEvent("/alice/calendar/theirs.ics", "theirs", "Theirs", "20310405"), 201);
    world_.Run();
    ASSERT_EQ(DefaultHref(), "/alice/calendar/");
    WaitPastTheThreeSecondRule(8);

    // Outlook only: goes to the server.
    ASSERT_EQ(mine->put_Subject("Mine moved"), S_OK);
    ASSERT_EQ(mine->Save(), S_OK);
    // Server only: comes to Outlook.
    ASSERT_EQ(world_.other().PutEvent("/alice/calendar/theirs.ics", "theirs", "Theirs moved", "20310405", 0),
              201);
    // Both: the server's change 4 seconds before Outlook's loses; one at the same second wins.
    const std::string later_href = HrefOf(both_later_outlook.get());
    const std::string close_href = HrefOf(both_close.get());
    ASSERT_EQ(world_.other().PutEvent(later_href, GlobalIdOf(both_later_outlook.get()),
                                      "Outlook wins (server)", "20310402", 4),
              201);
    ASSERT_EQ(world_.other().PutEvent(close_href, GlobalIdOf(both_close.get()), "Server wins (server)",
                                      "20310403", 0),
              201);
    ASSERT_EQ(both_later_outlook->put_Subject("Outlook wins (outlook)"), S_OK);
    ASSERT_EQ(both_later_outlook->Save(), S_OK);
    ASSERT_EQ(both_close->put_Subject("Server wins (outlook)"), S_OK);
    ASSERT_EQ(both_close->Save(), S_OK);

    world_.Run();
    EXPECT_NE(world_.other().Send("GET", HrefOf(mine.get())).body.find("SUMMARY:Mine moved"),
              std::string::npos);
    EXPECT_NE(world_.other().Send("GET", later_href).body.find("SUMMARY:Outlook wins (outlook)"),
              std::string::npos);
    // The upload keeps the server's UID.
    EXPECT_NE(Unfold(world_.other().Send("GET", later_href).body)
                  .find("UID:" + GlobalIdOf(both_later_outlook.get())),
              std::string::npos);
    EXPECT_EQ(world_.Subjects(calendar.get()),
              (std::vector<std::string>{"Mine moved", "Outlook wins (outlook)", "Server wins (server)",
                                        "Theirs moved"}));
    EXPECT_NE(world_.other().Send("GET", close_href).body.find("SUMMARY:Server wins (server)"),
              std::string::npos);

    // Deletions travel each way too, and the pair goes from the index.
    ASSERT_EQ(mine->Delete(), S_OK);
    ASSERT_EQ(world_.other().Send("DELETE", "/alice/calendar/theirs.ics").status, 200);
    world_.Run();
    EXPECT_EQ(world_.other().Send("GET", HrefOf(mine.get())).status, 404);
    EXPECT_EQ(world_.Subjects(calendar.get()),
              (std::vector<std::string>{"Outlook wins (outlook)", "Server wins (server)"}));
    EXPECT_EQ(OpenCalendarIndex(EntryIdOf(calendar.get())).Records().size(), 2u);
    EXPECT_EQ(world_.other().List("/alice/calendar/").size(), 2u);
}

TEST_F(CalendarRun, RecurringSeriesWithDeletedAndChangedOccurrencesTravelEachWay) {
    const auto calendar = world_.DefaultCalendar();
    const auto series =
        world_.AddAppointment(calendar.get(), "Standup", DateTime::FromParts(2031, 6, 2, 9), 5);
    ComPtr<outlook::RecurrencePattern> pattern;
    ASSERT_EQ(series->GetRecurrencePattern(&pattern), S_OK);
    ComPtr<outlook::AppointmentItem> second;
    ASSERT_EQ(pattern->GetOccurrence(DateTime::FromParts(2031, 6, 3, 9), &second), S_OK);
    ASSERT_EQ(second->Delete(), S_OK);
    ComPtr<outlook::AppointmentItem> fourth;
    ASSERT_EQ(pattern->GetOccurrence(DateTime::FromParts(2031, 6, 5, 9), &fourth), S_OK);
    ASSERT_EQ(fourth->put_Subject("Standup (moved)"), S_OK);
    ASSERT_EQ(fourth->put_Start(DateTime::FromParts(2031, 6, 5, 11)), S_OK);
    ASSERT_EQ(fourth->put_End(DateTime::FromParts(2031, 6, 5, 12)), S_OK);
    ASSERT_EQ(fourth->Save(), S_OK);

    const std::string series_rrule = "RRULE:FREQ=DAILY;COUNT=4\r\nEXDATE:20310611T090000Z\r\n";
    const std::string server_series =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//velsync tests//other "
        "client//EN\r\nBEGIN:VEVENT\r\nUID:retro\r\n"
        "DTSTAMP:20310101T000000Z\r\nDTSTART:20310610T090000Z\r\nDTEND:20310610T100000Z\r\nSUMMARY:"
        "Retro\r\n" +
        series_rrule +
        "LAST-MODIFIED:20310101T000000Z\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:retro\r\nDTSTAMP:"
        "20310101T000000Z\r\n"
        "RECURRENCE-ID:20310612T090000Z\r\nDTSTART:20310612T140000Z\r\nDTEND:20310612T150000Z\r\n"
        "SUMMARY:Retro (afternoon)\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(world_.other().PutEvent("/alice/calendar/retro.ics", server_series), 201);

    world_.Run();

    const std::string text = world_.other().Send("GET", HrefOf(series.get())).body;
    EXPECT_NE(text.find("RRULE:FREQ=DAILY"), std::string::npos) << text;
    EXPECT_NE(text.find("EXDATE"), std::string::npos) << text;
    EXPECT_NE(text.find("RECURRENCE-ID"), std::string::npos) << text;
    EXPECT_NE(text.find("SUMMARY:Standup (moved)"), std::string::npos) << text;

    const auto retro = world_.FindAppointment(calendar.get(), "Retro");
    ASSERT_NE(retro, nullptr);
    bool recurring = false;
    ASSERT_EQ(retro->get_IsRecurring(&recurring), S_OK);
    EXPECT_TRUE(recurring);
    ComPtr<outlook::RecurrencePattern> retro_pattern;
    ComPtr<outlook::Exceptions> exceptions;
    ASSERT_EQ(retro->GetRecurrencePattern(&retro_pattern), S_OK);
    ASSERT_EQ(retro_pattern->get_Exceptions(&exceptions), S_OK);
    std::int32_t count = 0;
    ASSERT_EQ(exceptions->get_Count(&count), S_OK);
    ASSERT_EQ(count, 2);
    // One deleted occurrence and one changed one, in either order.
    std::vector<std::string> seen;
    for (std::int32_t i = 1; i <= count; ++i) {
        ComPtr<outlook::Exception> exception;
        ComPtr<outlook::AppointmentItem> occurrence;
        bool is_deleted = false;
        ASSERT_EQ(exceptions->Item(i, &exception), S_OK);
        ASSERT_EQ(exception->get_Deleted(&is_deleted), S_OK);
        std::string subject = "(deleted)";
        if (!is_deleted && SUCCEEDED(exception->get_AppointmentItem(&occurrence))) {
            ASSERT_EQ(occurrence->get_Subject(&subject), S_OK);
        }
        seen.push_back(subject);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"(deleted)", "Retro (afternoon)"}));
}

TEST_F(CalendarRun, ReadOnlyCalendarFollowsTheServer) {
    world_.Run();
    auto shared = world_.SubFolder(kShared);
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(world_.Subjects(shared.get()), std::vector<std::string>{"Team meeting"});
    // The appointment the server made is marked for the read-only guards.
    const auto meeting = world_.FindAppointment(shared.get(), "Team meeting");
    ComPtr<outlook::UserProperties> properties;
    ComPtr<outlook::UserProperty> allow;
    ASSERT_EQ(meeting->get_UserProperties(&properties), S_OK);
    ASSERT_EQ(properties->Find("AllowCreate", true, &allow), S_OK);
    ASSERT_NE(allow, nullptr);

    // What the user edited (more than 3 seconds after the run) is overwritten from the server, and what
    // the user added is removed; the server sees neither.
    WaitPastTheThreeSecondRule();
    ASSERT_EQ(meeting->put_Subject("Edited"), S_OK);
    ASSERT_EQ(meeting->Save(), S_OK);
    world_.AddAppointment(shared.get(), "Mine", DateTime::FromParts(2031, 7, 1, 9));
    world_.Run();
    EXPECT_EQ(world_.Subjects(shared.get()), std::vector<std::string>{"Team meeting"});
    EXPECT_EQ(world_.other().List("/alice/shared-bob-calendar/").size(), 1u);

    // What the user deleted comes back at the run after the next.
    ASSERT_EQ(world_.FindAppointment(shared.get(), "Team meeting")->Delete(), S_OK);
    world_.Run();
    EXPECT_TRUE(world_.Subjects(shared.get()).empty());
    world_.Run();
    EXPECT_EQ(world_.Subjects(shared.get()), std::vector<std::string>{"Team meeting"});
    EXPECT_EQ(world_.other().List("/alice/shared-bob-calendar/").size(), 1u);
}

TEST_F(CalendarRun, CalendarGoneOnTheServerAsksAndEachAnswerHolds) {
    const auto projects = world_.AddSubFolder("Projects");
    world_.AddAppointment(projects.get(), "Plan", DateTime::FromParts(2031, 8, 1, 9));
    world_.Run();
    const std::string projects_id = EntryIdOf(projects.get());
    const std::string href = "/alice/" + projects_id + "/";
    ASSERT_EQ(world_.other().List(href).size(), 1u);

    ASSERT_EQ(world_.other().Send("DELETE", href).status, 200);
    std::uint32_t code = 0;
    world_.questions.answers = {platform::IDCANCEL};
    world_.Run(&code);
    EXPECT_EQ(code, kErrorCanceled);
    ASSERT_EQ(world_.questions.asked.size(), 1u);
    EXPECT_EQ(world_.questions.asked[0],
              "Projects calendar no longer exists on the server. Delete it from Outlook?");
    EXPECT_NE(world_.SubFolder("Projects"), nullptr);

    // Restore on server: the calendar and its appointment are back.
    world_.questions.answers = {platform::IDNO};
    world_.Run(&code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(world_.other().List(href).size(), 1u);

    // Delete: the folder goes.
    ASSERT_EQ(world_.other().Send("DELETE", href).status, 200);
    world_.questions.answers = {platform::IDYES};
    world_.Run(&code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(world_.SubFolder("Projects"), nullptr);
    EXPECT_FALSE(OpenCalendarsIndex().FindByOutlookId(projects_id).IsFound());
    EXPECT_EQ(world_.questions.asked.size(), 3u);
}

TEST_F(CalendarRun, CalendarGoneInOutlookAsksAndEachAnswerHolds) {
    ASSERT_EQ(world_.other().MakeCalendar("/alice/team/", "Team"), 201);
    ASSERT_EQ(world_.other().PutEvent("/alice/team/review.ics", "review", "Review", "20310901"), 201);
    ASSERT_EQ(world_.other().Send("DELETE", "/alice/calendar/").status, 200);
    world_.Run();
    ASSERT_EQ(DefaultHref(), "/alice/team/");
    // A second server calendar gets a folder of its own, which the user then deletes.
    ASSERT_EQ(world_.other().MakeCalendar("/alice/calendar/", "Calendar"), 201);
    world_.Run();
    auto folder = world_.SubFolder("Calendar");
    ASSERT_NE(folder, nullptr);
    ASSERT_EQ(world_.other().PutEvent("/alice/calendar/one.ics", "one", "One", "20310902"), 201);
    ASSERT_EQ(folder->Delete(), S_OK);

    // Restore in Outlook: a folder with the server's event.
    std::uint32_t code = 0;
    world_.questions.answers = {platform::IDNO};
    world_.Run(&code);
    EXPECT_EQ(code, 0u);
    ASSERT_FALSE(world_.questions.asked.empty());
    EXPECT_EQ(world_.questions.asked.back(),
              "Calendar calendar no longer exists in Outlook. Delete it from the server?");
    folder = world_.SubFolder("Calendar");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(world_.Subjects(folder.get()), std::vector<std::string>{"One"});

    // Delete: the server calendar goes.
    ASSERT_EQ(folder->Delete(), S_OK);
    world_.questions.answers = {platform::IDYES};
    world_.Run(&code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(Contains(world_.other().Calendars("/alice/"), "/alice/calendar/"));
    EXPECT_EQ(world_.SubFolder("Calendar"), nullptr);
}

TEST_F(CalendarRun, CalendarEmptiedOnTheServerAsksOnceAndEachAnswerHolds) {
    const auto calendar = world_.DefaultCalendar();
    world_.AddAppointment(calendar.get(), "First", DateTime::FromParts(2031, 10, 1, 9));
    world_.AddAppointment(calendar.get(), "Second", DateTime::FromParts(2031, 10, 2, 9));
    world_.Run();
    auto empty_server = [this] {
        for (const std::string& href : world_.other().List("/alice/calendar/"))
            ASSERT_EQ(world_.other().Send("DELETE", href).status, 200);
    };
    empty_server();

    std::uint32_t code = 0;
    world_.questions.answers = {platform::IDCANCEL};
    world_.Run(&code);
    EXPECT_EQ(code, kErrorCanceled);
    ASSERT_EQ(world_.questions.asked.size(), 1u);
    EXPECT_EQ(
        world_.questions.asked[0].rfind("Calendar calendar is empty on the server. Clear it in Outlook?", 0),
        0u);
    EXPECT_EQ(world_.Subjects(calendar.get()).size(), 2u);

    // No: everything is copied to the server again.
    world_.questions.answers = {platform::IDNO};
    world_.Run(&code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(world_.questions.asked.size(), 2u);
    EXPECT_EQ(world_.other().List("/alice/calendar/").size(), 2u);
    EXPECT_EQ(world_.Subjects(calendar.get()).size(), 2u);

    // Yes: the Outlook calendar is cleared.
    empty_server();
    world_.questions.answers = {platform::IDYES};
    world_.Run(&code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(world_.questions.asked.size(), 3u);
    EXPECT_TRUE(world_.Subjects(calendar.get()).empty());
}

TEST_F(CalendarRun, RefusedUploadsAndDeletionsLoseNothing) {
    const auto calendar = world_.DefaultCalendar();
    const auto edited = world_.AddAppointment(calendar.get(), "Edited", DateTime::FromParts(2031, 11, 1, 9));
    const auto removed =
        world_.AddAppointment(calendar.get(), "Removed", DateTime::FromParts(2031, 11, 2, 9));
    world_.Run();
    const std::string edited_href = HrefOf(edited.get());
    const std::string removed_href = HrefOf(removed.get());
    const std::string folder_id = EntryIdOf(calendar.get());
    const IndexRecord before = OpenCalendarIndex(folder_id).FindByServerId(edited_href);
    ASSERT_TRUE(before.IsFound());

    WaitPastTheThreeSecondRule();
    const auto fresh = world_.AddAppointment(calendar.get(), "Fresh", DateTime::FromParts(2031, 11, 3, 9));
    ASSERT_EQ(edited->put_Subject("Edited again"), S_OK);
    ASSERT_EQ(edited->Save(), S_OK);
    ASSERT_EQ(removed->Delete(), S_OK);

    // The server refuses every PUT and DELETE: the run goes on, the pairs stay as they were, and the run
    // ends as a failure.
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    std::uint32_t error_code = 0;
    world_.Run(&error_code, nullptr, calendar_test::RefusingFactory({"PUT", "DELETE"}, 503, counter));
    EXPECT_EQ(error_code, static_cast<std::uint32_t>(kErrorUnknown));
    EXPECT_EQ(counter->by_method["PUT"], 2);
    EXPECT_EQ(counter->by_method["DELETE"], 1);
    EXPECT_EQ(counter->refused, 3);
    const SyncIndex index = OpenCalendarIndex(folder_id);
    EXPECT_FALSE(index.FindByOutlookId(GlobalIdOf(fresh.get())).IsFound());
    EXPECT_EQ(index.FindByServerId(edited_href).synchDate.value(), before.synchDate.value());
    EXPECT_TRUE(index.FindByServerId(removed_href).IsFound());
    EXPECT_EQ(world_.other().Send("GET", removed_href).status, 200);
    EXPECT_EQ(world_.Subjects(calendar.get()), (std::vector<std::string>{"Edited again", "Fresh"}));

    // The next ordinary run does it all.
    world_.Run();
    EXPECT_NE(world_.other().Send("GET", edited_href).body.find("SUMMARY:Edited again"), std::string::npos);
    EXPECT_EQ(world_.other().Send("GET", HrefOf(fresh.get())).status, 200);
    EXPECT_EQ(world_.other().Send("GET", removed_href).status, 404);
    EXPECT_EQ(world_.Subjects(calendar.get()), (std::vector<std::string>{"Edited again", "Fresh"}));

    // A new event is never written over another client's resource of the same name (If-None-Match).
    const auto mine = world_.AddAppointment(calendar.get(), "Mine", DateTime::FromParts(2031, 12, 1, 9));
    const std::string mine_href = HrefOf(mine.get());
    ASSERT_EQ(world_.other().PutEvent(mine_href, "someone-else", "Theirs", "20311201"), 201);
    world_.Run(&error_code);
    EXPECT_EQ(error_code, static_cast<std::uint32_t>(kErrorUnknown));
    EXPECT_NE(world_.other().Send("GET", mine_href).body.find("SUMMARY:Theirs"), std::string::npos);
    EXPECT_NE(world_.FindAppointment(calendar.get(), "Mine"), nullptr);
}

// The same round trip on every server kind: Basic, Digest through Apache, and Xandikos (DAV:all only,
// Depth-sensitive listings).
class CalendarServers : public ::testing::TestWithParam<DavServerKind> {
  protected:
    void SetUp() override {
        world_ = std::make_unique<CalendarWorld>(GetParam());
        std::string error;
        if (!world_->Start(&error)) {
            if (testing_support::AreServersRequired())
                FAIL() << error;
            GTEST_SKIP() << "the server did not start: " << error;
        }
    }
    std::unique_ptr<CalendarWorld> world_;
};

TEST_P(CalendarServers, RoundTripThenQuietRun) {
    const std::string calendar_href = world_->Home() + "calendar/";
    ASSERT_EQ(world_->other().PutEvent(calendar_href + "theirs.ics", "theirs", "Theirs", "20320105"), 201);
    const auto calendar = world_->DefaultCalendar();
    const auto mine = world_->AddAppointment(calendar.get(), "Mine", DateTime::FromParts(2032, 1, 6, 9));
    SyncResultList results;
    world_->Run(nullptr, &results);
    EXPECT_EQ(world_->PairedHref(calendar.get()), calendar_href);
    EXPECT_EQ(world_->Subjects(calendar.get()), (std::vector<std::string>{"Mine", "Theirs"}));
    EXPECT_EQ(world_->other().Send("GET", calendar_href + GlobalIdOf(mine.get()) + ".ics").status, 200);
    // The other client's event is paired where it is, never uploaded back.
    const std::string folder_id = EntryIdOf(calendar.get());
    EXPECT_FALSE(OpenCalendarIndex(folder_id).FindByServerId(calendar_href + "theirs.ics").OutlookId.empty());
    EXPECT_NE(world_->other().Send("GET", calendar_href + "theirs.ics").body.find("PRODID:-//velsync tests"),
              std::string::npos);
    // Writable (Xandikos reports only DAV:all).
    bool default_read_only = true;
    for (const auto& entry : results) {
        if (entry.folder_key == folder_id)
            default_read_only = entry.flag;
    }
    EXPECT_FALSE(default_read_only);

    // Quiet also when the machine has moved to another zone since: local modification times all shift.
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    {
        testing_support::ScopedTimeZone travelled("Asia/Kathmandu");
        world_->Run(nullptr, nullptr, calendar_test::RefusingFactory({}, 0, counter));
    }
    EXPECT_EQ(counter->by_method["PUT"], 0);
    EXPECT_EQ(counter->by_method["DELETE"], 0);
    EXPECT_EQ(world_->Subjects(calendar.get()), (std::vector<std::string>{"Mine", "Theirs"}));

    // Left equal by a run that wrote nothing, no calendar is read again until one side changes.
    auto quiet = std::make_shared<calendar_test::RequestCounter>();
    world_->Run(nullptr, nullptr, calendar_test::RefusingFactory({}, 0, quiet));
    EXPECT_EQ(quiet->by_method["REPORT"], 0);
    const int status =
        world_->other().PutEvent(calendar_href + "theirs.ics", "theirs", "Theirs again", "20320105");
    ASSERT_TRUE(status == 201 || status == 204) << status;
    world_->Run();
    EXPECT_EQ(world_->Subjects(calendar.get()), (std::vector<std::string>{"Mine", "Theirs again"}));
}

// Events as other clients write them keep, through a local edit, all that the writer does not own: the
// text the server holds afterwards differs from what it held before only in the writer's properties.
TEST_P(CalendarServers, OtherClientsEventsKeepWhatTheWriterDoesNotOwnThroughALocalEdit) {
    const std::string calendar_href = world_->Home() + "calendar/";
    std::map<std::string, std::string> before;
    for (const auto& entry : std::filesystem::directory_iterator(VELSYNC_ICAL_CORPUS)) {
        if (entry.path().extension() != ".ics")
            continue;
        const std::string href = calendar_href + entry.path().stem().string() + ".ics";
        const int status =
            world_->other().PutEvent(href, testing_support::ReadFileOrEmpty(entry.path().string()));
        ASSERT_TRUE(status == 201 || status == 204) << href << ": " << status;
        // What the server holds, in its own form (some servers write the text anew).
        before[href] = world_->other().Send("GET", href).body;
    }
    ASSERT_GE(before.size(), 8u);
    world_->Run();
    const auto calendar = world_->DefaultCalendar();
    const std::vector<std::string> subjects = world_->Subjects(calendar.get());
    ASSERT_EQ(subjects.size(), before.size());
    WaitPastTheThreeSecondRule();
    for (const std::string& subject : subjects) {
        const auto appointment = world_->FindAppointment(calendar.get(), subject);
        ASSERT_NE(appointment, nullptr) << subject;
        ASSERT_EQ(appointment->put_Subject(subject + " (edited)"), S_OK);
        ASSERT_EQ(appointment->Save(), S_OK);
    }
    world_->Run();
    for (const auto& [href, text] : before) {
        SCOPED_TRACE(href);
        const std::string after = world_->other().Send("GET", href).body;
        EXPECT_EQ(testdata::NotOwnedLines(after), testdata::NotOwnedLines(text)) << after;
        EXPECT_EQ(testdata::MasterValue(after, "SUMMARY"),
                  ical::UnescapeText(testdata::MasterValue(text, "SUMMARY")) + " (edited)");
    }
}

// An object whose text holds a raw control character (the servers keep it and put it in their answers,
// which the XML parser then refuses) costs only itself: the rest of its calendar synchronizes, and the
// run ends as a failure that counts it until the object is mended.
TEST_P(CalendarServers, AnItemTheXmlParserRefusesCostsOnlyItself) {
    const std::string calendar_href = world_->Home() + "calendar/";
    const std::vector<std::string> names = {"Before", "Bad\vtab", "Between", "After"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string uid = "raw-" + std::to_string(i);
        ASSERT_EQ(world_->other().PutEvent(calendar_href + uid + ".ics", uid, names[i],
                                           "2032020" + std::to_string(i + 1)),
                  201);
    }
    const auto calendar = world_->DefaultCalendar();
    const auto mine = world_->AddAppointment(calendar.get(), "Mine", DateTime::FromParts(2032, 2, 9, 9));
    std::uint32_t error_code = 0;
    world_->Run(&error_code);
    EXPECT_EQ(error_code, static_cast<std::uint32_t>(kErrorUnknown));
    EXPECT_EQ(world_->Subjects(calendar.get()),
              (std::vector<std::string>{"After", "Before", "Between", "Mine"}));
    EXPECT_EQ(world_->other().Send("GET", calendar_href + GlobalIdOf(mine.get()) + ".ics").status, 200);

    const int mended = world_->other().PutEvent(calendar_href + "raw-1.ics", "raw-1", "Mended", "20320202");
    ASSERT_TRUE(mended == 201 || mended == 204) << mended;
    world_->Run(&error_code);
    EXPECT_EQ(error_code, 0u);
    EXPECT_EQ(world_->Subjects(calendar.get()),
              (std::vector<std::string>{"After", "Before", "Between", "Mended", "Mine"}));
}

enum class Origin { kServer, kOutlook };
enum class Edit {
    kServerKeepsLastModified,  // a client that rewrites the text and leaves LAST-MODIFIED alone
    kServerNow,                // LAST-MODIFIED set to the edit's time, right after the run
    kServerOlder,              // LAST-MODIFIED an hour before the run (an offline phone, a skewed clock)
    kLocal,                    // the appointment edited in Outlook right after the run
};

struct ChangeCase {
    const char* name;
    Origin origin;
    Edit edit;
};

constexpr ChangeCase kCases[] = {
    {"server edit keeping LAST-MODIFIED", Origin::kServer, Edit::kServerKeepsLastModified},
    {"server edit 1 s after a run", Origin::kServer, Edit::kServerNow},
    {"server edit dated before the run", Origin::kServer, Edit::kServerOlder},
    {"local edit 1 s after a run", Origin::kServer, Edit::kLocal},
    {"local edit 1 s after uploading", Origin::kOutlook, Edit::kLocal},
    {"server edit of an uploaded event keeping LAST-MODIFIED", Origin::kOutlook,
     Edit::kServerKeepsLastModified},
    {"server edit of an uploaded event 1 s after a run", Origin::kOutlook, Edit::kServerNow},
};

std::string UtcText(int seconds_from_now) {
    return DateTime::NowUtc().AddSeconds(seconds_from_now).Format("%Y%m%dT%H%M%SZ");
}

// The server text with a new SUMMARY and, unless `last_modified` is empty, a new LAST-MODIFIED.
void EditOnServer(const CalendarWorld& world, const std::string& href, const std::string& summary,
                  const std::string& last_modified) {
    const calendar_test::HttpAnswer current = world.other().Send("GET", href);
    ASSERT_EQ(current.status, 200) << href;
    std::string text = std::regex_replace(calendar_test::Unfold(current.body),
                                          std::regex("\r\nSUMMARY[;:][^\r]*"), "\r\nSUMMARY:" + summary);
    if (!last_modified.empty()) {
        text = std::regex_replace(text, std::regex("\r\nLAST-MODIFIED:[^\r]*"),
                                  "\r\nLAST-MODIFIED:" + last_modified);
    }
    const int status = world.other().PutEvent(href, text);
    ASSERT_TRUE(status == 201 || status == 204) << href << " " << status;
}

// Edits that a date comparison cannot see arrive all the same: one run pairs an event per case, the
// edits follow a second later, and the next run must carry each one across.
TEST_P(CalendarServers, EveryEditArrivesWhateverItsDates) {
    const std::string calendar_href = world_->Home() + "calendar/";
    const auto calendar = world_->DefaultCalendar();
    std::vector<std::string> hrefs;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const std::string name = "Case " + std::to_string(i);
        const std::string day = "203203" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1);
        if (kCases[i].origin == Origin::kServer) {
            hrefs.push_back(calendar_href + "case" + std::to_string(i) + ".ics");
            ASSERT_EQ(world_->other().PutEvent(hrefs.back(), "case" + std::to_string(i), name, day), 201);
        } else {
            const auto appointment = world_->AddAppointment(
                calendar.get(), name, DateTime::FromParts(2032, 3, static_cast<int>(i) + 1, 9));
            std::string id;
            ASSERT_EQ(appointment->get_GlobalAppointmentID(&id), S_OK);
            hrefs.push_back(calendar_href + id + ".ics");
        }
    }
    world_->Run();
    ASSERT_EQ(world_->PairedHref(calendar.get()), calendar_href);
    world_->Run();  // writes nothing, so the edits below meet recorded collection tags
    std::this_thread::sleep_for(std::chrono::seconds(1));

    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        SCOPED_TRACE(kCases[i].name);
        const std::string edited = "Edited " + std::to_string(i);
        switch (kCases[i].edit) {
            case Edit::kServerKeepsLastModified:
                EditOnServer(*world_, hrefs[i], edited, "");
                break;
            case Edit::kServerNow:
                EditOnServer(*world_, hrefs[i], edited, UtcText(0));
                break;
            case Edit::kServerOlder:
                EditOnServer(*world_, hrefs[i], edited, UtcText(-3600));
                break;
            case Edit::kLocal: {
                const auto appointment = world_->FindAppointment(calendar.get(), "Case " + std::to_string(i));
                ASSERT_NE(appointment, nullptr);
                ASSERT_EQ(appointment->put_Subject(edited), S_OK);
                ASSERT_EQ(appointment->Save(), S_OK);
                break;
            }
        }
    }
    world_->Run();

    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        SCOPED_TRACE(kCases[i].name);
        const std::string edited = "Edited " + std::to_string(i);
        EXPECT_NE(world_->FindAppointment(calendar.get(), edited), nullptr);
        EXPECT_NE(calendar_test::Unfold(world_->other().Send("GET", hrefs[i]).body).find("SUMMARY:" + edited),
                  std::string::npos);
    }
    EXPECT_EQ(world_->Subjects(calendar.get()).size(), std::size(kCases));

    // Carried across, each edit is now the state of both sides: a further run writes nothing.
    // Quiet also when the machine has moved to another zone since: local modification times all shift.
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    {
        testing_support::ScopedTimeZone travelled("Asia/Kathmandu");
        world_->Run(nullptr, nullptr, calendar_test::RefusingFactory({}, 0, counter));
    }
    EXPECT_EQ(counter->by_method["PUT"], 0);
    EXPECT_EQ(counter->by_method["DELETE"], 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, CalendarServers,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest,
                                           DavServerKind::kXandikos),
                         testing_support::NameOfDavServerKind);

}  // namespace
