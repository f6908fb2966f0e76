// Reading a text into the event's lines, changed occurrences and zones; hostile texts; small mappings.
#include <gtest/gtest.h>

#include "ical/alarm_trigger.h"
#include "ical/cal_dav_event.h"
#include "ical/event_attendees.h"
#include "support/data_rows.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

class CalDavEventTest : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

std::vector<std::string> Names(const CCalDavEvent& event) {
    std::vector<std::string> names;
    for (const CICalLine& line : event.Lines())
        names.push_back(line.Name());
    return names;
}

// Unknown components inside the event do not end it; those outside it are not read.
TEST_F(CalDavEventTest, KeepsVeventLinesAndOnlyTheAlarmTrigger) {
    CCalDavEvent event;
    event.SetICal(
        testing_support::ReadFileOrEmpty(VELSYNC_ICAL_DATA "/events/unknown-components-and-alarm.ics"));
    EXPECT_EQ(Names(event),
              (std::vector<std::string>{"UID", "SUMMARY", "DTSTART", "TRIGGER", "X-AFTER-ALARM"}));
    EXPECT_EQ(event.GetPropertyValue("summary"), "Folded summary");
    EXPECT_EQ(event.GetPropertyValue("LOCATION"), "");
    EXPECT_EQ(event.FindLine("DESCRIPTION"), nullptr);
    ASSERT_NE(event.FindTimeZone("Europe/Berlin"), nullptr);
    EXPECT_EQ(event.FindTimeZone("Europe/Berlin")->Standard().tzoffsetto, "+0100");
    EXPECT_TRUE(event.ChangedOccurrences().empty());
}

TEST_F(CalDavEventTest, LaterVeventsAreChangedOccurrencesAndTheMasterIsTheOneWithoutRecurrenceId) {
    CCalDavEvent event;
    event.SetOwnerAddress("me@example.com");
    event.ParseICal(
        "BEGIN:VCALENDAR\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nRECURRENCE-ID:20240117T080000Z\r\nSUMMARY:changed\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:master\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nRECURRENCE-ID:20240124T080000Z\r\nSUMMARY:changed 2\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n");
    EXPECT_EQ(event.GetPropertyValue("SUMMARY"), "master");
    ASSERT_EQ(event.ChangedOccurrences().size(), 2u);
    EXPECT_EQ(event.ChangedOccurrences()[0]->GetPropertyValue("SUMMARY"), "changed");
    EXPECT_EQ(event.ChangedOccurrences()[1]->GetPropertyValue("SUMMARY"), "changed 2");
    EXPECT_EQ(event.ChangedOccurrences()[1]->OwnerAddress(), "me@example.com");
}

// Hostile texts: each is read in bounded work, as far as it goes.
TEST_F(CalDavEventTest, MissingEndIsReadAsFarAsItGoes) {
    CCalDavEvent event;
    event.ParseICal("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:cut\r\nDTSTART:20240110T090000Z");
    EXPECT_EQ(event.GetPropertyValue("SUMMARY"), "cut");
    EXPECT_EQ(event.GetPropertyValue("DTSTART"), "20240110T090000Z");
}

TEST_F(CalDavEventTest, ThousandsOfVeventsHugeLinesAndDeepNestingAreCapped) {
    std::string many = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 3000; ++i)
        many += "BEGIN:VEVENT\r\nRECURRENCE-ID:20240110T090000Z\r\nSUMMARY:" + std::to_string(i) +
                "\r\nEND:VEVENT\r\n";
    CCalDavEvent occurrences;
    occurrences.ParseICal(many);
    EXPECT_EQ(occurrences.GetPropertyValue("SUMMARY"), "0");
    EXPECT_EQ(occurrences.ChangedOccurrences().size(), 999u);

    std::string text = "BEGIN:VEVENT\r\nDESCRIPTION:" + std::string(4 << 20, 'x') + "\r\n";
    for (int i = 0; i < 200; ++i)
        text += "BEGIN:X\r\n";
    text += "SUMMARY:deep\r\n";
    for (int i = 0; i < 200; ++i)
        text += "END:X\r\n";
    for (int i = 0; i < 20000; ++i)
        text += "X-LINE:" + std::to_string(i) + "\r\n";
    text += "END:VEVENT\r\nEND:NOTHING\r\nEND:VEVENT\r\n";
    CCalDavEvent event;
    event.ParseICal(text);
    EXPECT_EQ(event.GetPropertyValue("DESCRIPTION").size(), 4u << 20);
    EXPECT_EQ(event.FindLine("SUMMARY"), nullptr);
    EXPECT_EQ(event.Lines().size(), 10000u);
}

TEST_F(CalDavEventTest, GarbageGivesNoLines) {
    for (const char* text : {"", "\r\n\r\n", "no colons at all", "BEGIN:VEVENT", "END:VEVENT\r\nEND:VEVENT",
                             "\xff\xfe\x00garbage:\x80"}) {
        CCalDavEvent event;
        event.ParseICal(text);
        EXPECT_TRUE(event.Lines().empty());
        EXPECT_TRUE(event.ChangedOccurrences().empty());
    }
}

TEST_F(CalDavEventTest, LastModifiedIsLocalTimeOrTheZeroDate) {
    CCalDavEvent event;
    event.ParseICal("BEGIN:VEVENT\r\nLAST-MODIFIED:20240110T080000Z\r\nEND:VEVENT\r\n");
    EXPECT_EQ(event.GetLastModified().Format("%Y%m%dT%H%M%S"), "20240110T090000");
    event.ParseICal("BEGIN:VEVENT\r\nSUMMARY:x\r\nEND:VEVENT\r\n");
    EXPECT_EQ(event.GetLastModified().value(), 0.0);
    EXPECT_TRUE(event.GetLastModified().IsValid());
    event.ParseICal("BEGIN:VEVENT\r\nLAST-MODIFIED:yesterday\r\nEND:VEVENT\r\n");
    EXPECT_EQ(event.GetLastModified().value(), 0.0);
}

TEST_F(CalDavEventTest, TriggerReadsDurationsAbsoluteTimesAndEndRelatedOnes) {
    const DateTime start = DateTime::FromParts(2024, 1, 10, 8, 0, 0);
    const DateTime end = DateTime::FromParts(2024, 1, 10, 9, 0, 0);
    for (const auto& row : testing_support::ReadDataRows(VELSYNC_ICAL_DATA "/trigger-rows.txt", 2)) {
        SCOPED_TRACE(row[0]);
        const auto line = CICalLine::Parse(row[0]);
        ASSERT_TRUE(line.has_value());
        const auto minutes = ical::ReminderMinutesFromTrigger(*line, start, end);
        EXPECT_EQ(minutes ? std::to_string(*minutes) : "none", row[1]);
    }
    const auto absolute = CICalLine::Parse("TRIGGER;VALUE=DATE-TIME:20240110T073000Z");
    EXPECT_FALSE(ical::ReminderMinutesFromTrigger(*absolute, DateTime::Invalid(), end).has_value());
}

TEST_F(CalDavEventTest, AttendeesWithOrganizerLastAndRespondedAtInLocalTime) {
    CCalDavEvent event;
    event.ParseICal(
        "BEGIN:VEVENT\r\nORGANIZER;CN=Boss:mailto:boss@example.com\r\n"
        "ATTENDEE;PARTSTAT=ACCEPTED;RESPONDED-AT=20240105T110000Z:MAILTO:Me@Example.com\r\n"
        "ATTENDEE;PARTSTAT=DECLINED:carl@example.com\r\nATTENDEE:mailto:\r\n"
        "ATTENDEE;PARTSTAT=TENTATIVE:mailto:me@example.com\r\nEND:VEVENT\r\n");
    const CEventAttendees attendees = CEventAttendees::FromLines(event.Lines());
    EXPECT_EQ(attendees.OrganizerAddress(), "boss@example.com");
    EXPECT_EQ(attendees.WantedAddresses(),
              (std::vector<std::string>{"Me@Example.com", "carl@example.com", "boss@example.com"}));
    const EventAttendee* me = attendees.Find("me@example.com");
    ASSERT_NE(me, nullptr);
    // The last entry for an address wins.
    EXPECT_EQ(me->role, "TENTATIVE");
    EXPECT_EQ(attendees.Find("boss@example.com")->role, "ORGANIZER");
    EXPECT_EQ(attendees.Find("nobody@example.com"), nullptr);
    const auto first = CEventAttendees::FromLines({*CICalLine::Parse(
        "ATTENDEE;PARTSTAT=ACCEPTED;RESPONDED-AT=20240105T110000Z:MAILTO:me@example.com")});
    EXPECT_EQ(first.Find("me@example.com")->response_time.Format("%Y%m%dT%H%M%S"), "20240105T120000");
}

}  // namespace
