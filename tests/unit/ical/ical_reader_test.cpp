// Server texts read into appointments of the host's store by CCalDavEvent::InitOutlookEvent.
#include <gtest/gtest.h>

#include "ical/cal_dav_event.h"
#include "outlook/mapi_message.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "outlook/status.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

std::string Event(const std::string& lines) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n" + lines +
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

const std::string kStart = "DTSTART:20240110T080000Z\r\n";

class IcalReader : public ::testing::Test {
  protected:
    // The text read into `item` (a fresh appointment when null); its fields afterwards.
    std::map<std::string, std::string> Read(const std::string& text, testdata::Appointment item = nullptr) {
        item_ = item ? item : calendar_.New();
        testdata::ReadICal(text, item_.get());
        return testdata::Fields(item_.get());
    }

    testdata::Calendar calendar_;
    testdata::Appointment item_;
};

TEST_F(IcalReader, StartAndEndInEveryTimeForm) {
    struct Row {
        const char* name;
        const char* lines;
        const char* start;  // local, Europe/Berlin
        const char* end;
        const char* zone;
    };
    const Row rows[] = {
        {"utc", "DTSTART:20240110T080000Z\r\n", "20240110T090000", "20240110T090000",
         "W. Europe Standard Time"},
        // Floating time is wall-clock time wherever the reader is.
        {"floating", "DTSTART:20240110T080000\r\n", "20240110T080000", "20240110T080000",
         "W. Europe Standard Time"},
        {"outlook zone id", "DTSTART;TZID=Eastern Standard Time:20240110T080000\r\n", "20240110T140000",
         "20240110T140000", "Eastern Standard Time"},
        {"quoted tzid", "DTSTART;TZID=\"Eastern Standard Time\":20240110T080000\r\n", "20240110T140000",
         "20240110T140000", "Eastern Standard Time"},
        // Through tzids.csv, and summer time in both zones at the end.
        {"iana names",
         "DTSTART;TZID=America/New_York:20240110T080000\r\nDTEND;TZID=America/New_York:20240710T090000\r\n",
         "20240110T140000", "20240710T150000", "Eastern Standard Time"},
        {"unknown zone with its own rules", "DTSTART;TZID=Custom/Zone:20240110T080000\r\n", "20240110T100000",
         "20240110T100000", "W. Europe Standard Time"},
        {"unknown zone without rules is utc", "DTSTART;TZID=Nowhere/Zone:20240110T080000\r\n",
         "20240110T090000", "20240110T090000", "W. Europe Standard Time"},
        {"duration", "DTSTART:20240110T080000Z\r\nDURATION:PT1H30M\r\n", "20240110T090000", "20240110T103000",
         "W. Europe Standard Time"},
        // An end before the start is not put as it stands.
        {"end before start", "DTSTART:20240110T080000Z\r\nDTEND:20240110T070000Z\r\n", "20240110T090000",
         "20240110T090000", "W. Europe Standard Time"},
    };
    const std::string vtimezone =
        "BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Custom/"
        "Zone\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
        "TZOFFSETFROM:-0100\r\nTZOFFSETTO:-0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\nEND:VCALENDAR\r\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto item = calendar_.New();
        ASSERT_EQ(item->put_AllDayEvent(true), S_OK);
        const auto fields = Read(vtimezone + Event(row.lines), item);
        EXPECT_EQ(fields.at("AllDay"), "0");
        EXPECT_EQ(fields.at("Start"), row.start);
        // Neither DTEND nor DURATION: a timed event ends at its start.
        EXPECT_EQ(fields.at("End"), row.end);
        EXPECT_EQ(fields.at("StartZone"), row.zone);
    }
    EXPECT_EQ(Read(Event(kStart + "DTEND;TZID=Eastern Standard Time:20240110T040000\r\n")).at("EndZone"),
              "Eastern Standard Time");
}

TEST_F(IcalReader, AllDayFromTheStartsDateValue) {
    struct Row {
        const char* lines;
        const char* end;
    };
    const Row rows[] = {
        {"DTSTART;VALUE=DATE:20240305\r\nDTEND;VALUE=DATE:20240307\r\n", "20240307T000000"},
        // Without DTEND an all-day event lasts its one day; without VALUE=DATE a bare date is a date too.
        {"DTSTART:20240305\r\n", "20240306T000000"},
        {"DTSTART;VALUE=DATE:20240305\r\nDURATION:P3D\r\n", "20240308T000000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lines);
        const auto fields = Read(Event(row.lines));
        EXPECT_EQ(fields.at("AllDay"), "1");
        EXPECT_EQ(fields.at("Start"), "20240305T000000");
        EXPECT_EQ(fields.at("End"), row.end);
    }
    // Changed on the server from all-day to timed.
    const auto fields = Read(Event("DTSTART:20240305T080000Z\r\nDTEND:20240305T090000Z\r\n"), item_);
    EXPECT_EQ(fields.at("AllDay"), "0");
    EXPECT_EQ(fields.at("Start"), "20240305T090000");
}

TEST_F(IcalReader, NoUsableStartLeavesTheTimesAlone) {
    auto item = calendar_.New();
    ASSERT_EQ(item->put_Subject("kept"), S_OK);
    ASSERT_EQ(item->put_Start(DateTime::FromParts(2024, 2, 1, 9, 0, 0)), S_OK);
    EXPECT_EQ(Read(Event("SUMMARY:ignored\r\nDTEND:20240110T080000Z\r\n"), item).at("Subject"), "kept");
    ASSERT_EQ(item->put_AllDayEvent(true), S_OK);
    const auto fields = Read(Event("DTSTART:20240110T\r\nSUMMARY:applied\r\n"), item);
    EXPECT_EQ(fields.at("Start"), "20240201T090000");
    EXPECT_EQ(fields.at("AllDay"), "1");
    EXPECT_EQ(fields.at("Subject"), "applied");
}

TEST_F(IcalReader, TextsPriorityAndBusyStatus) {
    auto fields =
        Read(Event(kStart +
                   "SUMMARY:a\\, b\\; c\\\\d\r\nLOCATION:Room\\n2\r\nDESCRIPTION:Line one\r\n  folded\\nLine "
                   "two\r\nPRIORITY:2\r\nX-MICROSOFT-CDO-BUSYSTATUS:oof\r\n"));
    EXPECT_EQ(fields.at("Subject"), "a, b; c\\d");
    EXPECT_EQ(fields.at("Location"), "Room\r\n2");
    EXPECT_EQ(fields.at("Body"), "Line one folded\r\nLine two");
    EXPECT_EQ(fields.at("Importance"), std::to_string(outlook::olImportanceHigh));
    EXPECT_EQ(fields.at("BusyStatus"), std::to_string(outlook::olOutOfOffice));
    // An unknown busy status leaves the one before.
    EXPECT_EQ(Read(Event(kStart + "X-MICROSOFT-CDO-BUSYSTATUS:SOMETIMES\r\n"), item_).at("BusyStatus"),
              std::to_string(outlook::olOutOfOffice));
    struct Row {
        const char* priority;
        outlook::OlImportance importance;
    };
    for (const Row& row : {Row{"1", outlook::olImportanceHigh}, Row{"5", outlook::olImportanceNormal},
                           Row{"6", outlook::olImportanceLow}, Row{"0", outlook::olImportanceLow},
                           Row{"x", outlook::olImportanceLow}}) {
        SCOPED_TRACE(row.priority);
        EXPECT_EQ(Read(Event(kStart + "PRIORITY:" + row.priority + "\r\n"), item_).at("Importance"),
                  std::to_string(row.importance));
    }
}

// The trigger forms are the trigger reader's own tests; the round trip carries a usable reminder.
TEST_F(IcalReader, UnusableTriggerNeverStopsTheEventAndNoAlarmClearsTheReminder) {
    auto item = calendar_.New();
    ASSERT_EQ(item->put_ReminderSet(true), S_OK);
    const auto fields =
        Read(Event(kStart + "SUMMARY:still applied\r\nBEGIN:VALARM\r\nTRIGGER:-PTM\r\nEND:VALARM\r\n"), item);
    EXPECT_EQ(fields.at("Reminder"), "off");
    EXPECT_EQ(fields.at("Subject"), "still applied");
    ASSERT_EQ(item_->put_ReminderSet(true), S_OK);
    EXPECT_EQ(Read(Event(kStart), item_).at("Reminder"), "off");
}

TEST_F(IcalReader, RecurrenceRuleAndDeletedOccurrencesInAnyZone) {
    const auto fields = Read(Event(
        "DTSTART;TZID=Europe/Berlin:20240109T090000\r\nDTEND;TZID=Europe/Berlin:20240109T093000\r\n"
        "RRULE:FREQ=MONTHLY;BYDAY=TU;BYSETPOS=2;COUNT=10\r\n"
        "EXDATE:20240213T080000Z,20240312T080000Z\r\nEXDATE;TZID=Eastern Standard Time:20240409T030000\r\n"));
    EXPECT_EQ(fields.at("RecurrenceState"), std::to_string(outlook::olApptMaster));
    EXPECT_EQ(fields.at("Pattern"),
              "type=3 interval=1 day=0 mask=4 month=0 instance=2 count=10 minutes=30 until=20241008T000000");
    // 03:00 in New York on summer time is 09:00 in Berlin, also on summer time since 31 March.
    EXPECT_EQ(fields.at("Exceptions"),
              "20240213T090000=deleted 20240312T090000=deleted 20240409T090000=deleted");
}

// As a Google or Thunderbird calendar sends a series: VTIMEZONE, zoned times, an UNTIL one second
// before the last start, an EXDATE in the zone, a changed occurrence named in the zone.
TEST_F(IcalReader, ServerSeriesInAZoneLandsOnTheRightOccurrences) {
    const auto fields = Read(
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
        "END:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;TZID=Europe/Berlin:20240318T140000\r\nDTEND;TZID=Europe/"
        "Berlin:20240318T150000\r\n"
        "RECURRENCE-ID;TZID=Europe/Berlin:20240318T100000\r\nUID:abc@example.org\r\nSUMMARY:Weekly "
        "(afternoon)\r\n"
        "END:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:abc@example.org\r\nRECURRENCE-ID:20231201T080000Z\r\nSUMMARY:Before the "
        "series\r\n"
        "DTSTART:20231201T100000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ(fields.at("Subject"), "Weekly");
    // The last day is the 28th: the 29th's occurrence at 10:00 is after UNTIL.
    EXPECT_EQ(fields.at("Pattern"),
              "type=1 interval=1 day=0 mask=2 month=0 instance=0 count=0 minutes=60 until=20240428T000000");
    EXPECT_EQ(fields.at("Exceptions"),
              "20240318T100000=Weekly (afternoon)@20240318T140000 20240401T100000=deleted");
    outlook::ComPtr<outlook::RecurrencePattern> pattern;
    testdata::Appointment last;
    ASSERT_EQ(item_->GetRecurrencePattern(&pattern), S_OK);
    EXPECT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 4, 22, 10, 0, 0), &last), S_OK);
    EXPECT_EQ(pattern->GetOccurrence(DateTime::FromParts(2024, 4, 29, 10, 0, 0), &last),
              outlook::MAPI_E_NOT_FOUND);
}

TEST_F(IcalReader, RuleRemovedOnTheServerClearsTheSeries) {
    EXPECT_EQ(Read(Event("DTSTART:20240108T080000Z\r\nRRULE:FREQ=DAILY\r\n")).at("RecurrenceState"),
              std::to_string(outlook::olApptMaster));
    const auto fields = Read(Event("DTSTART:20240108T080000Z\r\n"), item_);
    EXPECT_EQ(fields.at("RecurrenceState"), std::to_string(outlook::olApptNotRecurring));
    EXPECT_EQ(fields.count("Pattern"), 0u);
}

TEST_F(IcalReader, MeetingOrganizedByTheUser) {
    const auto fields = Read(Event(kStart + "ORGANIZER:mailto:ME@example.com\r\n"
                                            "ATTENDEE;PARTSTAT=ACCEPTED:mailto:anna@example.com\r\n"
                                            "ATTENDEE;PARTSTAT=NEEDS-ACTION:mailto:bert@example.com\r\n"));
    // The track status of each attendee that answered; an unknown answer leaves it alone.
    EXPECT_EQ(fields.at("Recipients"), "anna@example.com/3/1 bert@example.com/0/1");
    EXPECT_EQ(fields.at("MeetingStatus"), std::to_string(outlook::olMeeting));
    EXPECT_EQ(fields.at("Named:8229000B"), "True");
    EXPECT_EQ(fields.at("Organizer"), "");
}

TEST_F(IcalReader, MeetingOrganizedBySomeoneElse) {
    const auto fields =
        Read(Event(kStart + "LAST-MODIFIED:20240104T100000Z\r\n"
                            "ORGANIZER;CN=Boss:mailto:boss@example.com\r\n"
                            "ATTENDEE;PARTSTAT=TENTATIVE:mailto:me@example.com\r\n"
                            "ATTENDEE;PARTSTAT=ACCEPTED;RESPONDED-AT=20240105T110000Z:mailto:carl@"
                            "example.com\r\n"));
    EXPECT_EQ(fields.at("Recipients"),
              "me@example.com/0/1 carl@example.com/0/1 boss@example.com/0/3");  // the organizer last, flagged
                                                                                // as such
    EXPECT_EQ(fields.at("MeetingStatus"), std::to_string(outlook::olMeeting));
    EXPECT_EQ(fields.at("BusyStatus"), std::to_string(outlook::olTentative));
    EXPECT_EQ(fields.at("ResponseStatus"), std::to_string(outlook::olResponseTentative));
    EXPECT_EQ(fields.at("Named:82170003"), "3");
    // Without RESPONDED-AT for the user, LAST-MODIFIED is the reply time.
    EXPECT_EQ(fields.at("ReplyTime"), "20240104T110000");
    outlook::ComPtr<outlook::IUnknown> unknown;
    outlook::ComPtr<outlook::MapiMessage> message;
    ASSERT_EQ(item_->get_MAPIOBJECT(&unknown), S_OK);
    ASSERT_EQ(unknown.As(&message), S_OK);
    for (const outlook::PropTag tag :
         {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::PR_SENT_REPRESENTING_EMAIL_ADDRESS_W,
          outlook::PR_SENDER_NAME_W, outlook::PR_SENT_REPRESENTING_NAME_W}) {
        outlook::PropValue value;
        ASSERT_EQ(outlook::HrGetOneProp(message.get(), tag, &value), S_OK);
        EXPECT_EQ(value.value, outlook::Variant(std::string("boss@example.com")));
    }
    // The user's answer taken back on the server: not responded, and free.
    const auto again = Read(Event(kStart + "ORGANIZER:mailto:boss@example.com\r\n"
                                           "ATTENDEE;PARTSTAT=NEEDS-ACTION:mailto:me@example.com\r\n"),
                            item_);
    EXPECT_EQ(again.at("ResponseStatus"), std::to_string(outlook::olResponseNotResponded));
    EXPECT_EQ(again.at("BusyStatus"), std::to_string(outlook::olFree));
}

TEST_F(IcalReader, RecipientsFollowTheServerAndNoneLeftEndsTheMeeting) {
    auto item = calendar_.New();
    outlook::ComPtr<outlook::Recipients> recipients;
    ASSERT_EQ(item->get_Recipients(&recipients), S_OK);
    for (const char* address : {"gone@example.com", "anna@example.com"}) {
        outlook::ComPtr<outlook::Recipient> recipient;
        bool resolved = false;
        ASSERT_EQ(recipients->Add(address, &recipient), S_OK);
        ASSERT_EQ(recipient->Resolve(&resolved), S_OK);
    }
    const auto fields =
        Read(Event(kStart + "ORGANIZER:mailto:me@example.com\r\n"
                            "ATTENDEE:mailto:Anna@example.com\r\nATTENDEE:mailto:new@example.com\r\n"),
             item);
    EXPECT_EQ(fields.at("Recipients"),
              "anna@example.com/0/1 new@example.com/0/1");  // an address in other case is the same person
    const auto after = Read(Event(kStart), item_);
    EXPECT_EQ(after.count("Recipients"), 0u);
    EXPECT_EQ(after.at("MeetingStatus"), std::to_string(outlook::olNonMeeting));
}

}  // namespace
