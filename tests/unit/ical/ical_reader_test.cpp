// Server texts written into Outlook appointments by CCalDavEvent::InitOutlookEvent.
#include <gtest/gtest.h>

#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "ical/outlook_event_repeat.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

constexpr const char* kStateFlags =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/82170003";
constexpr const char* kResponseStatus =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/82180003";
constexpr const char* kInvited =
    "http://schemas.microsoft.com/mapi/id/{00062002-0000-0000-C000-000000000046}/8229000B";

std::string Event(const std::string& lines) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n" + lines +
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::string Local(const DateTime& value) {
    return value.Format("%Y%m%dT%H%M%S");
}

class IcalReader : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }

    std::shared_ptr<COutlookEvent> Apply(const std::string& text,
                                         const outlook::ComPtr<fake::Appointment>& item) {
        CCalDavEvent event;
        event.SetICal(text);
        event.SetOwnerAddress(testdata::kOwner);
        auto target = COutlookEvent::CreateFromOutlookObject(item.get());
        event.InitOutlookEvent(target);
        return target;
    }

    outlook::ComPtr<fake::Appointment> item_ = fake::Make<fake::Appointment>();
};

TEST_F(IcalReader, StartAndEndInEveryTimeForm) {
    struct Row {
        const char* name;
        const char* dtstart;
        const char* start;  // local, Europe/Berlin
        const char* zone;   // the Outlook zone put, "" for none
    };
    const Row rows[] = {
        {"utc", "DTSTART:20240110T080000Z\r\n", "20240110T090000", ""},
        // Floating time is wall-clock time wherever the reader is.
        {"floating", "DTSTART:20240110T080000\r\n", "20240110T080000", ""},
        {"outlook zone id", "DTSTART;TZID=Eastern Standard Time:20240110T080000\r\n", "20240110T140000",
         "Eastern Standard Time"},
        {"quoted tzid", "DTSTART;TZID=\"Eastern Standard Time\":20240110T080000\r\n", "20240110T140000",
         "Eastern Standard Time"},
        {"iana name through tzids.csv", "DTSTART;TZID=Europe/Berlin:20240110T080000\r\n", "20240110T080000",
         "W. Europe Standard Time"},
        {"unknown zone with its own rules", "DTSTART;TZID=Custom/Zone:20240110T080000\r\n", "20240110T100000",
         ""},
        {"unknown zone without rules is utc", "DTSTART;TZID=Nowhere/Zone:20240110T080000\r\n",
         "20240110T090000", ""},
    };
    const std::string vtimezone =
        "BEGIN:VTIMEZONE\r\nTZID:Custom/Zone\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
        "TZOFFSETFROM:-0100\r\nTZOFFSETTO:-0100\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto item = fake::Make<fake::Appointment>();
        item->all_day = true;
        Apply(vtimezone + Event(std::string(row.dtstart)), item);
        EXPECT_FALSE(item->all_day);
        EXPECT_EQ(Local(item->start), row.start);
        // Neither DTEND nor DURATION: a timed event ends at its start.
        EXPECT_EQ(Local(item->end), row.start);
        std::string zone_id;
        if (item->start_zone) {
            ASSERT_EQ(item->start_zone->get_ID(&zone_id), S_OK);
        }
        EXPECT_EQ(zone_id, row.zone);
    }
}

TEST_F(IcalReader, EndFromDtendOrDuration) {
    Apply(Event("DTSTART:20240110T080000Z\r\nDTEND;TZID=Eastern Standard Time:20240110T040000\r\n"), item_);
    EXPECT_EQ(Local(item_->end), "20240110T100000");
    std::string zone_id;
    ASSERT_TRUE(item_->end_zone);
    ASSERT_EQ(item_->end_zone->get_ID(&zone_id), S_OK);
    EXPECT_EQ(zone_id, "Eastern Standard Time");

    auto item = fake::Make<fake::Appointment>();
    Apply(Event("DTSTART:20240110T080000Z\r\nDURATION:PT1H30M\r\n"), item);
    EXPECT_EQ(Local(item->start), "20240110T090000");
    EXPECT_EQ(Local(item->end), "20240110T103000");
    // An end before the start is not put as it stands.
    item = fake::Make<fake::Appointment>();
    Apply(Event("DTSTART:20240110T080000Z\r\nDTEND:20240110T070000Z\r\n"), item);
    EXPECT_EQ(Local(item->end), Local(item->start));
}

TEST_F(IcalReader, AllDayFromTheStartsDateValue) {
    Apply(Event("DTSTART;VALUE=DATE:20240305\r\nDTEND;VALUE=DATE:20240307\r\n"), item_);
    EXPECT_TRUE(item_->all_day);
    EXPECT_EQ(Local(item_->start), "20240305T000000");
    EXPECT_EQ(Local(item_->end), "20240307T000000");
    // Without DTEND an all-day event lasts its one day; without VALUE=DATE a bare date is a date too.
    auto item = fake::Make<fake::Appointment>();
    Apply(Event("DTSTART:20240305\r\n"), item);
    EXPECT_TRUE(item->all_day);
    EXPECT_EQ(Local(item->end), "20240306T000000");
    item = fake::Make<fake::Appointment>();
    Apply(Event("DTSTART;VALUE=DATE:20240305\r\nDURATION:P3D\r\n"), item);
    EXPECT_EQ(Local(item->end), "20240308T000000");
    // Changed on the server from all-day to timed.
    Apply(Event("DTSTART:20240305T080000Z\r\nDTEND:20240305T090000Z\r\n"), item_);
    EXPECT_FALSE(item_->all_day);
    EXPECT_EQ(Local(item_->start), "20240305T090000");
}

TEST_F(IcalReader, NoStartLeavesTheAppointmentAlone) {
    item_->subject = "kept";
    const DateTime start = item_->start;
    Apply(Event("SUMMARY:ignored\r\nDTEND:20240110T080000Z\r\n"), item_);
    EXPECT_EQ(item_->subject, "kept");
    EXPECT_EQ(item_->start.value(), start.value());
    item_->all_day = true;
    Apply(Event("DTSTART:20240110T\r\nSUMMARY:applied\r\n"), item_);
    EXPECT_EQ(item_->start.value(), start.value());
    EXPECT_TRUE(item_->all_day);
    EXPECT_EQ(item_->subject, "applied");
}

TEST_F(IcalReader, TextsPriorityAndBusyStatus) {
    Apply(Event("DTSTART:20240110T080000Z\r\nSUMMARY:a\\, b\\; c\\\\d\r\nLOCATION:Room\\n2\r\n"
                "DESCRIPTION:Line one\r\n  folded\\nLine "
                "two\r\nPRIORITY:2\r\nX-MICROSOFT-CDO-BUSYSTATUS:oof\r\n"),
          item_);
    EXPECT_EQ(item_->subject, "a, b; c\\d");
    EXPECT_EQ(item_->location, "Room\r\n2");
    EXPECT_EQ(item_->body, "Line one folded\r\nLine two");
    EXPECT_EQ(item_->importance, outlook::olImportanceHigh);
    EXPECT_EQ(item_->busy, outlook::olOutOfOffice);
    struct Row {
        const char* priority;
        outlook::OlImportance importance;
    };
    for (const Row& row : {Row{"1", outlook::olImportanceHigh}, Row{"5", outlook::olImportanceNormal},
                           Row{"9", outlook::olImportanceLow}, Row{"6", outlook::olImportanceLow},
                           Row{"0", outlook::olImportanceLow}, Row{"x", outlook::olImportanceLow}}) {
        SCOPED_TRACE(row.priority);
        Apply(Event(std::string("DTSTART:20240110T080000Z\r\nPRIORITY:") + row.priority + "\r\n"), item_);
        EXPECT_EQ(item_->importance, row.importance);
    }
    Apply(Event("DTSTART:20240110T080000Z\r\nX-MICROSOFT-CDO-BUSYSTATUS:SOMETIMES\r\n"), item_);
    EXPECT_EQ(item_->busy, outlook::olOutOfOffice);
}

TEST_F(IcalReader, ReminderFromTriggerAndAnUnusableOneNeverStopsTheEvent) {
    Apply(Event("DTSTART:20240110T080000Z\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-P0DT0H10M0S\r\nEND:"
                "VALARM\r\n"),
          item_);
    EXPECT_TRUE(item_->reminder_set);
    EXPECT_EQ(item_->reminder_minutes, 10);
    testdata::CapturedLog log;
    Apply(Event("DTSTART:20240110T080000Z\r\nSUMMARY:still "
                "applied\r\nBEGIN:VALARM\r\nTRIGGER:-PTM\r\nEND:VALARM\r\n"),
          item_);
    EXPECT_FALSE(item_->reminder_set);
    EXPECT_EQ(item_->subject, "still applied");
    EXPECT_NE(log.Text().find("Unusable TRIGGER '-PTM'"), std::string::npos);
    item_->reminder_set = true;
    Apply(Event("DTSTART:20240110T080000Z\r\n"), item_);
    EXPECT_FALSE(item_->reminder_set);
}

TEST_F(IcalReader, RecurrenceRuleIsPutInOrderAndDeletedOccurrencesAreDeleted) {
    Apply(Event("DTSTART;TZID=Europe/Berlin:20240108T090000\r\nDTEND;TZID=Europe/Berlin:20240108T093000\r\n"
                "RRULE:FREQ=MONTHLY;BYDAY=TU;BYSETPOS=2;COUNT=10\r\n"
                "EXDATE:20240213T080000Z,20240312T080000Z\r\nEXDATE;TZID=Eastern Standard "
                "Time:20240409T020000\r\n"),
          item_);
    ASSERT_TRUE(item_->pattern);
    const fake::Pattern& pattern = *item_->pattern;
    EXPECT_EQ(pattern.type, outlook::olRecursMonthNth);
    EXPECT_EQ(pattern.instance, 2);
    EXPECT_EQ(pattern.day_of_week_mask, outlook::olTuesday);
    EXPECT_EQ(pattern.occurrences, 10);
    EXPECT_EQ(Local(pattern.pattern_start), "20240108T000000");
    EXPECT_EQ(Local(pattern.start_time), "20240108T090000");
    EXPECT_EQ(pattern.duration, 30);
    EXPECT_EQ(pattern.puts, (std::vector<std::string>{"Instance", "RecurrenceType", "Instance",
                                                      "DayOfWeekMask", "Occurrences"}));
    ASSERT_EQ(pattern.exceptions.size(), 3u);
    EXPECT_TRUE(pattern.exceptions[0].deleted);
    EXPECT_EQ(Local(pattern.exceptions[0].original_date), "20240213T090000");
    EXPECT_EQ(Local(pattern.exceptions[1].original_date), "20240312T090000");
    // 02:00 at UTC-5 (the fake's fixed zone) is 09:00 in Berlin, on summer time since 31 March.
    EXPECT_EQ(Local(pattern.exceptions[2].original_date), "20240409T090000");
    EXPECT_GE(item_->saves, 3);
}

TEST_F(IcalReader, AllDaySeriesDeletesByDateAndReadsUntilAsADate) {
    Apply(Event("DTSTART;VALUE=DATE:20240601\r\nDTEND;VALUE=DATE:20240602\r\n"
                "RRULE:FREQ=YEARLY;UNTIL=20300601\r\nEXDATE;VALUE=DATE:20260601\r\n"),
          item_);
    ASSERT_TRUE(item_->pattern);
    EXPECT_EQ(item_->pattern->type, outlook::olRecursYearly);
    EXPECT_EQ(item_->pattern->day_of_month, 1);
    EXPECT_EQ(item_->pattern->month_of_year, 6);
    EXPECT_EQ(Local(item_->pattern->pattern_end), "20300601T000000");
    EXPECT_EQ(item_->pattern->duration, 1440);
    ASSERT_EQ(item_->pattern->exceptions.size(), 1u);
    EXPECT_EQ(Local(item_->pattern->exceptions[0].original_date), "20260601T000000");
}

TEST_F(IcalReader, RuleRemovedOnTheServerClearsTheSeries) {
    Apply(Event("DTSTART:20240108T080000Z\r\nRRULE:FREQ=DAILY\r\n"), item_);
    ASSERT_EQ(item_->state, outlook::olApptMaster);
    Apply(Event("DTSTART:20240108T080000Z\r\n"), item_);
    EXPECT_EQ(item_->state, outlook::olApptNotRecurring);
    EXPECT_FALSE(item_->pattern);
}

TEST_F(IcalReader, ChangedOccurrenceFoundByRecurrenceIdInItsZone) {
    const std::string text =
        "BEGIN:VCALENDAR\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nSUMMARY:Series\r\nDTSTART;TZID=Europe/Berlin:20240108T090000\r\n"
        "DTEND;TZID=Europe/Berlin:20240108T093000\r\nRRULE:FREQ=DAILY\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID;TZID=Europe/Berlin:20240110T090000\r\nSUMMARY:Moved\r\n"
        "DTSTART;TZID=Europe/Berlin:20240110T110000\r\nDTEND;TZID=Europe/"
        "Berlin:20240110T113000\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20231201T080000Z\r\nSUMMARY:Before the series\r\n"
        "DTSTART:20231201T100000Z\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n";
    Apply(text, item_);
    ASSERT_TRUE(item_->pattern);
    ASSERT_EQ(item_->pattern->exceptions.size(), 1u);
    const fake::ExceptionData& changed = item_->pattern->exceptions[0];
    EXPECT_FALSE(changed.deleted);
    EXPECT_EQ(Local(changed.original_date), "20240110T090000");
    ASSERT_TRUE(changed.item);
    EXPECT_EQ(changed.item->subject, "Moved");
    EXPECT_EQ(Local(changed.item->start), "20240110T110000");
    EXPECT_EQ(item_->subject, "Series");
}

TEST_F(IcalReader, MeetingOrganizedByTheUser) {
    Apply(Event("DTSTART:20240110T080000Z\r\nORGANIZER:mailto:ME@example.com\r\n"
                "ATTENDEE;PARTSTAT=ACCEPTED:mailto:anna@example.com\r\n"
                "ATTENDEE;PARTSTAT=NEEDS-ACTION:mailto:bert@example.com\r\n"),
          item_);
    ASSERT_EQ(item_->recipients.size(), 2u);
    EXPECT_EQ(item_->recipients[0]->address, "anna@example.com");
    EXPECT_EQ(item_->recipients[1]->address, "bert@example.com");
    EXPECT_EQ(item_->meeting, outlook::olMeeting);
    EXPECT_EQ(item_->named[kInvited], outlook::Variant(true));
    // The track status of each attendee that answered; an unknown answer leaves it alone.
    EXPECT_EQ(item_->recipients[0]->response, outlook::olResponseAccepted);
    EXPECT_EQ(item_->recipients[1]->response, outlook::olResponseNone);
    EXPECT_EQ(item_->mapi.count(outlook::PR_SENDER_EMAIL_ADDRESS_W), 0u);
}

TEST_F(IcalReader, MeetingOrganizedBySomeoneElse) {
    Apply(Event("DTSTART:20240110T080000Z\r\nLAST-MODIFIED:20240104T100000Z\r\n"
                "ORGANIZER;CN=Boss:mailto:boss@example.com\r\n"
                "ATTENDEE;PARTSTAT=TENTATIVE:mailto:me@example.com\r\n"
                "ATTENDEE;PARTSTAT=ACCEPTED;RESPONDED-AT=20240105T110000Z:mailto:carl@example.com\r\n"),
          item_);
    ASSERT_EQ(item_->recipients.size(), 3u);
    EXPECT_EQ(item_->recipients[2]->address, "boss@example.com");
    EXPECT_EQ(item_->meeting, outlook::olMeeting);
    EXPECT_EQ(item_->busy, outlook::olTentative);
    EXPECT_EQ(item_->named[kResponseStatus], outlook::Variant(std::int32_t{2}));
    EXPECT_EQ(item_->named[kStateFlags], outlook::Variant(std::int32_t{3}));
    // Without RESPONDED-AT for the user, LAST-MODIFIED is the reply time.
    EXPECT_EQ(Local(item_->reply_time), "20240104T110000");
    for (const outlook::PropTag tag :
         {outlook::PR_SENDER_EMAIL_ADDRESS_W, outlook::PR_SENT_REPRESENTING_EMAIL_ADDRESS_W,
          outlook::PR_SENDER_NAME_W, outlook::PR_SENT_REPRESENTING_NAME_W}) {
        EXPECT_EQ(item_->mapi[tag], outlook::Variant(std::string("boss@example.com")));
    }
    EXPECT_EQ(item_->recipients[2]->flags, 3);
    EXPECT_EQ(item_->recipients[0]->flags, 0);
}

TEST_F(IcalReader, UserWithoutAnswerHasNotResponded) {
    Apply(Event("DTSTART:20240110T080000Z\r\nORGANIZER:mailto:boss@example.com\r\n"
                "ATTENDEE;PARTSTAT=NEEDS-ACTION:mailto:me@example.com\r\n"),
          item_);
    EXPECT_EQ(item_->named[kResponseStatus], outlook::Variant(std::int32_t{outlook::olResponseNotResponded}));
    EXPECT_EQ(item_->busy, outlook::olFree);
}

TEST_F(IcalReader, RecipientsFollowTheServerAndNoneLeftEndsTheMeeting) {
    auto old = std::make_shared<fake::RecipientData>();
    old->name = old->address = "gone@example.com";
    auto kept = std::make_shared<fake::RecipientData>();
    kept->name = kept->address = "anna@example.com";
    item_->recipients = {old, kept};
    Apply(Event("DTSTART:20240110T080000Z\r\nORGANIZER:mailto:me@example.com\r\n"
                "ATTENDEE:mailto:Anna@example.com\r\nATTENDEE:mailto:new@example.com\r\n"),
          item_);
    ASSERT_EQ(item_->recipients.size(), 2u);
    EXPECT_EQ(item_->recipients[0]->address, "anna@example.com");
    EXPECT_EQ(item_->recipients[1]->address, "new@example.com");

    Apply(Event("DTSTART:20240110T080000Z\r\n"), item_);
    EXPECT_TRUE(item_->recipients.empty());
    EXPECT_EQ(item_->meeting, outlook::olNonMeeting);
}

}  // namespace
