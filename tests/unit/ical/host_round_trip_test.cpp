// The mapping against the host's store: series, zones and meetings written to text and read back into
// fresh appointments that the store accepts and keeps.
#include <gtest/gtest.h>

#include <regex>

#include "host/application_object.h"
#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/folder.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/status.h"
#include "support/temp_home.h"
#include "test_appointments.h"

namespace {

using outlook::ComPtr;
using platform::DateTime;

std::string Local(const DateTime& value) {
    return value.IsValid() ? value.Format("%Y%m%dT%H%M%S") : "invalid";
}

class HostRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        testdata::UseBerlinTime();
        std::string error;
        ASSERT_EQ(host::ApplicationObject::Create(home_.root() + "/outlook.db", 500, &app_, &error), S_OK)
            << error;
        ASSERT_EQ(app_->get_Session(&session_), S_OK);
        ASSERT_EQ(session_->GetDefaultFolder(outlook::olFolderCalendar, &calendar_), S_OK);
    }

    ComPtr<outlook::AppointmentItem> NewAppointment() {
        ComPtr<outlook::Items> items;
        EXPECT_EQ(calendar_->get_Items(&items), S_OK);
        ComPtr<outlook::IDispatch> item;
        EXPECT_EQ(items->Add(&item), S_OK);
        ComPtr<outlook::AppointmentItem> appointment;
        EXPECT_EQ(item.As(&appointment), S_OK);
        return appointment;
    }

    // The text read into a fresh appointment of the calendar, saved as the strategies do.
    ComPtr<outlook::AppointmentItem> Read(const std::string& text) {
        CCalDavEvent event;
        event.SetICal(text);
        event.SetOwnerAddress(testdata::kOwner);
        auto appointment = NewAppointment();
        const auto target = COutlookEvent::CreateFromOutlookObject(appointment.get());
        EXPECT_NE(target, nullptr);
        event.InitOutlookEvent(target);
        EXPECT_EQ(appointment->Save(), S_OK);
        return appointment;
    }

    static std::string Write(outlook::AppointmentItem* appointment, const std::string& uid = "") {
        const auto event = COutlookEvent::CreateFromOutlookObject(appointment);
        return event ? event->ToICal(true, uid, testdata::kOwner) : std::string();
    }

    static ComPtr<outlook::RecurrencePattern> PatternOf(outlook::AppointmentItem* appointment) {
        ComPtr<outlook::RecurrencePattern> pattern;
        EXPECT_EQ(appointment->GetRecurrencePattern(&pattern), S_OK);
        return pattern;
    }

    // "original=deleted" or "original=subject@start" for each exception, in the store's order.
    static std::vector<std::string> ExceptionsOf(outlook::AppointmentItem* appointment) {
        std::vector<std::string> list;
        ComPtr<outlook::Exceptions> exceptions;
        std::int32_t count = 0;
        if (FAILED(PatternOf(appointment)->get_Exceptions(&exceptions)) ||
            FAILED(exceptions->get_Count(&count)))
            return list;
        for (std::int32_t i = 1; i <= count; ++i) {
            ComPtr<outlook::Exception> exception;
            DateTime original;
            bool deleted = false;
            EXPECT_EQ(exceptions->Item(i, &exception), S_OK);
            EXPECT_EQ(exception->get_OriginalDate(&original), S_OK);
            EXPECT_EQ(exception->get_Deleted(&deleted), S_OK);
            std::string entry = Local(original) + "=";
            ComPtr<outlook::AppointmentItem> changed;
            if (!deleted && SUCCEEDED(exception->get_AppointmentItem(&changed)) && changed) {
                std::string subject;
                DateTime start;
                EXPECT_EQ(changed->get_Subject(&subject), S_OK);
                EXPECT_EQ(changed->get_Start(&start), S_OK);
                entry += subject + "@" + Local(start);
            } else {
                entry += "deleted";
            }
            list.push_back(entry);
        }
        return list;
    }

    testing_support::TempHome home_;
    ComPtr<host::ApplicationObject> app_;
    ComPtr<outlook::NameSpace> session_;
    ComPtr<outlook::MAPIFolder> calendar_;
};

TEST_F(HostRoundTrip, SeriesWithDeletedAndChangedOccurrencesComesBack) {
    auto series = NewAppointment();
    ASSERT_EQ(series->put_Subject("Standup"), S_OK);
    ASSERT_EQ(series->put_Start(DateTime::FromParts(2024, 3, 18, 9, 0, 0)), S_OK);
    ASSERT_EQ(series->put_End(DateTime::FromParts(2024, 3, 18, 9, 30, 0)), S_OK);
    auto pattern = PatternOf(series.get());
    ASSERT_EQ(pattern->put_RecurrenceType(outlook::olRecursWeekly), S_OK);
    ASSERT_EQ(pattern->put_Interval(2), S_OK);
    ASSERT_EQ(pattern->put_DayOfWeekMask(outlook::olMonday | outlook::olWednesday), S_OK);
    ASSERT_EQ(pattern->put_PatternEndDate(DateTime::FromParts(2024, 5, 29)), S_OK);
    ASSERT_EQ(series->Save(), S_OK);
    // One before and one after the change to summer time, and one moved.
    for (const DateTime& start :
         {DateTime::FromParts(2024, 3, 20, 9, 0, 0), DateTime::FromParts(2024, 4, 15, 9, 0, 0)}) {
        ComPtr<outlook::AppointmentItem> occurrence;
        ASSERT_EQ(pattern->GetOccurrence(start, &occurrence), S_OK);
        ASSERT_EQ(occurrence->Delete(), S_OK);
    }
    ComPtr<outlook::AppointmentItem> moved;
    ASSERT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 4, 17, 9, 0, 0), &moved), S_OK);
    ASSERT_EQ(moved->put_Subject("Standup (moved)"), S_OK);
    ASSERT_EQ(moved->put_Start(DateTime::FromParts(2024, 4, 17, 11, 0, 0)), S_OK);
    ASSERT_EQ(moved->Save(), S_OK);

    const std::string text = Write(series.get());
    EXPECT_NE(text.find("RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE;UNTIL=20240529T070000Z\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("EXDATE:20240320T080000Z\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("EXDATE:20240415T070000Z\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RECURRENCE-ID:20240417T070000Z\r\n"), std::string::npos) << text;

    const auto copy = Read(text);
    std::string subject;
    DateTime start;
    ASSERT_EQ(copy->get_Subject(&subject), S_OK);
    ASSERT_EQ(copy->get_Start(&start), S_OK);
    EXPECT_EQ(subject, "Standup");
    EXPECT_EQ(Local(start), "20240318T090000");
    auto copy_pattern = PatternOf(copy.get());
    outlook::OlRecurrenceType type = outlook::olRecursDaily;
    std::int32_t interval = 0;
    std::int32_t mask = 0;
    DateTime end;
    ASSERT_EQ(copy_pattern->get_RecurrenceType(&type), S_OK);
    ASSERT_EQ(copy_pattern->get_Interval(&interval), S_OK);
    ASSERT_EQ(copy_pattern->get_DayOfWeekMask(&mask), S_OK);
    ASSERT_EQ(copy_pattern->get_PatternEndDate(&end), S_OK);
    EXPECT_EQ(type, outlook::olRecursWeekly);
    EXPECT_EQ(interval, 2);
    EXPECT_EQ(mask, outlook::olMonday | outlook::olWednesday);
    EXPECT_EQ(Local(end), "20240529T000000");
    EXPECT_EQ(ExceptionsOf(copy.get()), ExceptionsOf(series.get()));
    EXPECT_EQ(ExceptionsOf(copy.get()).size(), 3u);

    // The next run applies the same server text to the appointment again: nothing changes.
    CCalDavEvent again;
    again.SetICal(text);
    again.SetOwnerAddress(testdata::kOwner);
    again.InitOutlookEvent(COutlookEvent::CreateFromOutlookObject(copy.get()));
    ASSERT_EQ(copy->Save(), S_OK);
    EXPECT_EQ(ExceptionsOf(copy.get()), ExceptionsOf(series.get()));
    // Unfolded, and without the lines that differ between two appointments or two moments.
    const auto comparable = [](const std::string& ics) {
        const std::string unfolded = std::regex_replace(ics, std::regex("\r\n\t"), "");
        return std::regex_replace(unfolded, std::regex("(DTSTAMP|LAST-MODIFIED|CREATED|UID):[^\r]*\r\n"), "");
    };
    EXPECT_EQ(comparable(Write(copy.get())), comparable(text));
}

// As a Google or Thunderbird calendar sends a series: VTIMEZONE, zoned times, an UNTIL one second
// before the last start, an EXDATE in the zone, a changed occurrence named in the zone.
TEST_F(HostRoundTrip, ServerSeriesInAZoneLandsOnTheRightOccurrences) {
    const auto copy = Read(
        "BEGIN:VCALENDAR\r\nPRODID:-//Example//Server//EN\r\nVERSION:2.0\r\n"
        "BEGIN:VTIMEZONE\r\nTZID:Europe/"
        "Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
        "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\nBEGIN:"
        "STANDARD\r\n"
        "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nDTSTART:19701025T030000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
        "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20240304T100000\r\nDTEND;TZID=Europe/"
        "Berlin:20240304T110000\r\n"
        "RRULE:FREQ=WEEKLY;WKST=MO;UNTIL=20240429T075959Z;BYDAY=MO\r\n"
        "EXDATE;TZID=Europe/Berlin:20240401T100000\r\nUID:abc@example.org\r\nSUMMARY:Weekly\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P0DT0H30M0S\r\nEND:VALARM\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20240318T140000\r\nDTEND;TZID=Europe/"
        "Berlin:20240318T150000\r\n"
        "RECURRENCE-ID;TZID=Europe/Berlin:20240318T100000\r\nUID:abc@example.org\r\nSUMMARY:Weekly "
        "(afternoon)\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n");
    bool reminder = false;
    std::int32_t minutes = 0;
    ASSERT_EQ(copy->get_ReminderSet(&reminder), S_OK);
    ASSERT_EQ(copy->get_ReminderMinutesBeforeStart(&minutes), S_OK);
    EXPECT_TRUE(reminder);
    EXPECT_EQ(minutes, 30);
    auto pattern = PatternOf(copy.get());
    DateTime end;
    ASSERT_EQ(pattern->get_PatternEndDate(&end), S_OK);
    // The day before the 29th: the 29th's occurrence at 10:00 is after UNTIL.
    EXPECT_EQ(Local(end), "20240428T000000");
    EXPECT_EQ(ExceptionsOf(copy.get()),
              (std::vector<std::string>{"20240318T100000=Weekly (afternoon)@20240318T140000",
                                        "20240401T100000=deleted"}));
    ComPtr<outlook::AppointmentItem> last;
    EXPECT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 4, 22, 10, 0, 0), &last), S_OK);
    EXPECT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 4, 29, 10, 0, 0), &last),
              outlook::MAPI_E_NOT_FOUND);
}

TEST_F(HostRoundTrip, ZonesResolveThroughOutlookAndTzidsCsv) {
    const auto copy = Read(
        "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:z\r\nSUMMARY:New York\r\n"
        "DTSTART;TZID=America/New_York:20240110T080000\r\nDTEND;TZID=America/New_York:20240710T090000\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n");
    DateTime start;
    DateTime end;
    ASSERT_EQ(copy->get_Start(&start), S_OK);
    ASSERT_EQ(copy->get_End(&end), S_OK);
    EXPECT_EQ(Local(start), "20240110T140000");
    // Summer in both zones.
    EXPECT_EQ(Local(end), "20240710T150000");
    ComPtr<outlook::TimeZone> zone;
    std::string id;
    ASSERT_EQ(copy->get_StartTimeZone(&zone), S_OK);
    ASSERT_EQ(zone->get_ID(&id), S_OK);
    EXPECT_EQ(id, "Eastern Standard Time");
}

TEST_F(HostRoundTrip, NthPatternsTheStoreAcceptsAndWritesBackUnchanged) {
    const char* const rules[] = {
        "FREQ=MONTHLY;INTERVAL=1;BYDAY=FR;BYSETPOS=-1", "FREQ=MONTHLY;INTERVAL=3;BYDAY=TU;BYSETPOS=2",
        "FREQ=YEARLY;INTERVAL=1;BYDAY=SU;BYMONTH=10;BYSETPOS=-1",
        "FREQ=YEARLY;INTERVAL=2;BYMONTHDAY=29;BYMONTH=2;COUNT=4", "FREQ=DAILY;INTERVAL=3;COUNT=10"};
    for (const char* rule : rules) {
        SCOPED_TRACE(rule);
        const auto copy = Read(std::string("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:r\r\nSUMMARY:Rule\r\n"
                                           "DTSTART:20240229T080000Z\r\nDTEND:20240229T090000Z\r\nRRULE:") +
                               rule + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        EXPECT_NE(Write(copy.get()).find(std::string("RRULE:") + rule + "\r\n"), std::string::npos)
            << Write(copy.get());
    }
}

TEST_F(HostRoundTrip, MeetingFromSomeoneElseKeepsItsPeople) {
    const auto copy = Read(
        "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:m\r\nSUMMARY:Review\r\nDTSTART:20240110T080000Z\r\n"
        "DTEND:20240110T090000Z\r\nORGANIZER:mailto:boss@example.com\r\n"
        "ATTENDEE;PARTSTAT=ACCEPTED;RESPONDED-AT=20240105T110000Z:mailto:me@example.com\r\n"
        "ATTENDEE;PARTSTAT=NEEDS-ACTION:mailto:carl@example.com\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    outlook::OlResponseStatus response = outlook::olResponseNone;
    ASSERT_EQ(copy->get_ResponseStatus(&response), S_OK);
    EXPECT_EQ(response, outlook::olResponseAccepted);
    // Long lines are folded; the checks look at the unfolded text.
    const std::string text = std::regex_replace(Write(copy.get()), std::regex("\r\n\t"), "");
    EXPECT_NE(text.find("ORGANIZER:MAILTO:boss@example.com\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ATTENDEE;PARTSTAT=ACCEPTED;RESPONDED-AT=20240105T110000Z:MAILTO:me@example.com\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("ATTENDEE:MAILTO:carl@example.com\r\n"), std::string::npos) << text;
}

}  // namespace
